#include "model/URLValidation.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tunara;

namespace {

struct Case {
    const char* text;
    std::optional<URLValidationError> expected;
};

class URLValidationTable : public ::testing::TestWithParam<Case> {};

TEST_P(URLValidationTable, NamesTheOneThingWrong)
{
    const Case& c = GetParam();
    EXPECT_EQ(validateStreamURL(QString::fromUtf8(c.text)), c.expected) << c.text;
}

constexpr auto none = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Examples, URLValidationTable,
    ::testing::Values(
        Case{"", none},
        Case{"radio", URLValidationError::invalidScheme},
        Case{"ftp://example.com/stream", URLValidationError::invalidScheme},
        Case{"file:///home/user/music.mp3", URLValidationError::invalidScheme},
        Case{"rtsp://example.com/live", URLValidationError::invalidScheme},
        Case{"example.com/stream", URLValidationError::invalidScheme},
        Case{"HTTP://example.com/stream", none},
        Case{"hTtPs://example.com/stream", none},
        Case{"http://", URLValidationError::missingHost},
        Case{"https:///stream.mp3", URLValidationError::missingHost},
        Case{"https://example.com", none},
        Case{"http://example.com:8000/live.mp3?token=a%20b&x=1", none},
        Case{"https://radio.example.org/hls/playlist.m3u8", none},
        Case{"http://127.0.0.1:8080/stream", none},
        Case{"http://[::1]:8080/stream", none},
        Case{"http://exa mple.com/", URLValidationError::invalidFormat},
        Case{"http://[::1/stream", URLValidationError::invalidFormat},
        // Callers trim first: untrimmed, a valid URL is not accepted.
        Case{"  https://example.com/stream", URLValidationError::invalidFormat}));

TEST(URLValidationError, RebuildsFromItsMessageOnly)
{
    for (auto error :
         {URLValidationError::invalidFormat, URLValidationError::invalidScheme, URLValidationError::missingHost})
        EXPECT_EQ(urlValidationErrorFromRawValue(rawValue(error)), error);
    EXPECT_EQ(urlValidationErrorFromRawValue("please enter a valid url"), std::nullopt);
}

} // namespace
