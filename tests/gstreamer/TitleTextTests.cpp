// Stream titles in legacy charsets, and the naming of track tags.

#include "TagMetadata.h"
#include "TitleText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tunara::gst {
namespace {

// What GStreamer's Western fallback makes of bytes that are not UTF-8.
QString asWestern(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

QByteArray windows1251(const char* utf8)
{
    gsize written = 0;
    gchar* converted = g_convert(utf8, -1, "WINDOWS-1251", "UTF-8", nullptr, &written, nullptr);
    QByteArray bytes(converted, qsizetype(written));
    g_free(converted);
    return bytes;
}

TEST(TitleTextTest, CyrillicTitlesReadAsWesternAreDecodedAsWindows1251)
{
    for (const char* title : {"Кино - Группа крови", "Metallica - Нечто иное", "ДДТ - Осень (Live) ёЁ",
                              "Океан Ельзи - Обійми"}) {
        EXPECT_EQ(repairTitleText(asWestern(windows1251(title))), QString::fromUtf8(title)) << title;
    }
}

TEST(TitleTextTest, WesternTitlesStayWesternWithWindows1252Punctuation)
{
    EXPECT_EQ(repairTitleText(asWestern("Beyonc\xE9 - D\xE9j\xE0 Vu")), QStringLiteral("Beyoncé - Déjà Vu"));
    EXPECT_EQ(repairTitleText(asWestern("Sin\xE9" "ad O\x92" "Connor - \x93Nothing\x94")),
              QStringLiteral("Sinéad O’Connor - “Nothing”"));
    EXPECT_EQ(repairTitleText(asWestern("M\xF6tley Cr\xFC" "e - \xC0 bout")), QStringLiteral("Mötley Crüe - À bout"));
}

TEST(TitleTextTest, TextThatCannotBeAFallbackDecodingIsKept)
{
    EXPECT_EQ(repairTitleText(QStringLiteral("Sigur Rós - Hoppípolla ♫")), QStringLiteral("Sigur Rós - Hoppípolla ♫"));
    EXPECT_EQ(repairTitleText(QStringLiteral("Кино - Группа крови")), QStringLiteral("Кино - Группа крови"));
    EXPECT_EQ(repairTitleText(QStringLiteral("Plain ASCII - Title")), QStringLiteral("Plain ASCII - Title"));
}

TEST(TitleTextTest, DecodersAgreeWithIconvOnEveryByte)
{
    for (int byte = 0x20; byte < 0x100; ++byte) {
        const QByteArray single(1, char(byte));
        gchar* cyrillic = g_convert(single.constData(), 1, "UTF-8", "WINDOWS-1251", nullptr, nullptr, nullptr);
        if (cyrillic) {
            EXPECT_EQ(decodeWindows1251(single), QString::fromUtf8(cyrillic)) << byte;
        }
        g_free(cyrillic);
        gchar* western = g_convert(single.constData(), 1, "UTF-8", "WINDOWS-1252", nullptr, nullptr, nullptr);
        if (western) {
            EXPECT_EQ(decodeWindows1252(single), QString::fromUtf8(western)) << byte;
        }
        g_free(western);
    }
}

struct TagCase {
    TagSource source;
    std::vector<MetadataEntry> expected;
};

TEST(TagMetadataTest, TrackTagsAreNamedForTheSuffixRulesAndStationTagsLeftOut)
{
    GstTagList* tags = gst_tag_list_new(GST_TAG_TITLE, "Artist - Song", GST_TAG_ARTIST, "Artist", GST_TAG_HOMEPAGE,
                                        "http://radio.example/", GST_TAG_ORGANIZATION, "Station", GST_TAG_GENRE,
                                        "Jazz", GST_TAG_BITRATE, 128000u, nullptr);
    const QString title = QStringLiteral("Artist - Song");
    const std::vector<TagCase> cases{
        {TagSource::icy,
         {{QStringLiteral("icy/StreamTitle"), QStringLiteral("title"), title},
          {QStringLiteral("icy/StreamUrl"), std::nullopt, QStringLiteral("http://radio.example/")}}},
        {TagSource::id3,
         {{QStringLiteral("id3/TIT2"), QStringLiteral("title"), title},
          {QStringLiteral("id3/TPE1"), QStringLiteral("artist"), QStringLiteral("Artist")}}},
        {TagSource::other,
         {{QStringLiteral("common/title"), QStringLiteral("title"), title},
          {QStringLiteral("common/artist"), QStringLiteral("artist"), QStringLiteral("Artist")}}},
    };
    for (const auto& tagCase : cases)
        EXPECT_EQ(metadataEntries(tags, tagCase.source), tagCase.expected) << int(tagCase.source);

    GstTagList* stationOnly = gst_tag_list_new(GST_TAG_ORGANIZATION, "Station", GST_TAG_BITRATE, 128000u, nullptr);
    EXPECT_TRUE(metadataEntries(stationOnly, TagSource::icy).empty());
    gst_tag_list_unref(stationOnly);
    gst_tag_list_unref(tags);
}

} // namespace
} // namespace tunara::gst
