#include "model/URLValidation.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tunara;

namespace {

TEST(URLValidation, NamesTheOneThingWrongInTheUsersWords)
{
    const char* const format = "Please enter a valid URL";
    const char* const scheme = "URL must start with http:// or https://";
    const char* const host = "URL must contain a valid host";
    const std::pair<const char*, const char*> cases[] = {
        {"", nullptr},
        {"radio", scheme},
        {"ftp://example.com/stream", scheme},
        {"file:///home/user/music.mp3", scheme},
        {"example.com/stream", scheme},
        {"hTtPs://example.com/stream", nullptr},
        {"http://", host},
        {"https:///stream.mp3", host},
        {"http://example.com:8000/live.mp3?token=a%20b&x=1", nullptr},
        {"http://[::1]:8080/stream", nullptr},
        {"http://exa mple.com/", format},
        {"http://[::1/stream", format},
        // Callers trim first: untrimmed, a valid URL is not accepted.
        {"  https://example.com/stream", format},
    };
    for (const auto& [text, message] : cases) {
        const std::optional<URLValidationError> error = validateStreamURL(QString::fromUtf8(text));
        EXPECT_EQ(error ? rawValue(*error) : QString(), QString(message)) << text;
        // The error is known again by its message alone.
        EXPECT_EQ(urlValidationErrorFromRawValue(message), error) << text;
    }
    EXPECT_EQ(urlValidationErrorFromRawValue("please enter a valid url"), std::nullopt);
}

} // namespace
