// Stream titles in legacy charsets, and the track text of tags.

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

TEST(TagTitleTest, TheTitleTagElseTheArtistButNeverTheStationsOwnTags)
{
    struct Case {
        TagSource source;
        GstTagList* tags;
        std::optional<QString> title;
    };
    const Case cases[] = {
        {TagSource::icy,
         gst_tag_list_new(GST_TAG_TITLE, "Artist - Song", GST_TAG_HOMEPAGE, "http://radio.example/",
                          GST_TAG_ORGANIZATION, "Station", GST_TAG_BITRATE, 128000u, nullptr),
         QStringLiteral("Artist - Song")},
        // A StreamTitle whose closing quote the server forgot.
        {TagSource::icy, gst_tag_list_new(GST_TAG_TITLE, "Artist - Song;", nullptr), QStringLiteral("Artist - Song")},
        {TagSource::icy, gst_tag_list_new(GST_TAG_HOMEPAGE, "http://radio.example/", nullptr), std::nullopt},
        {TagSource::icy, gst_tag_list_new(GST_TAG_ARTIST, "Artist", nullptr), std::nullopt},
        {TagSource::id3, gst_tag_list_new(GST_TAG_TITLE, "Song", GST_TAG_ARTIST, "Artist", nullptr),
         QStringLiteral("Song")},
        {TagSource::id3, gst_tag_list_new(GST_TAG_ARTIST, "Artist", nullptr), QStringLiteral("Artist")},
        {TagSource::other, gst_tag_list_new(GST_TAG_ARTIST, "Artist", GST_TAG_GENRE, "Jazz", nullptr),
         QStringLiteral("Artist")},
        {TagSource::other, gst_tag_list_new(GST_TAG_ORGANIZATION, "Station", GST_TAG_BITRATE, 128000u, nullptr),
         std::nullopt},
        // Read as Western by GStreamer, repaired.
        {TagSource::other, gst_tag_list_new(GST_TAG_TITLE, "\xc3\x8a\xc3\xa8\xc3\xad\xc3\xae", nullptr),
         QStringLiteral("Кино")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(streamTitle(c.tags, c.source), c.title) << int(c.source);
        gst_tag_list_unref(c.tags);
    }
}

} // namespace
} // namespace tunara::gst
