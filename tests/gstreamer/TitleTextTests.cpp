// Stream titles in legacy charsets, and the track text of tags.

#include "TagMetadata.h"
#include "TitleText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tunara::gst {
namespace {

// bytes converted between charsets by iconv; null when they cannot be.
QByteArray convert(const QByteArray& bytes, const char* to, const char* from)
{
    gsize written = 0;
    gchar* converted = g_convert(bytes.constData(), bytes.size(), to, from, nullptr, &written, nullptr);
    const QByteArray result = converted ? QByteArray(converted, qsizetype(written)) : QByteArray();
    g_free(converted);
    return result;
}

// What GStreamer's Western fallback makes of bytes that are not UTF-8 is
// repaired; text that cannot be such a decoding is kept.
TEST(TitleTextTest, TitlesReadAsWesternAreRepaired)
{
    for (const char* title : {"Кино - Группа крови", "Metallica - Нечто иное", "ДДТ - Осень (Live) ёЁ",
                              "Океан Ельзи - Обійми"})
        EXPECT_EQ(repairTitleText(QString::fromLatin1(convert(title, "WINDOWS-1251", "UTF-8"))), title) << title;
    const std::pair<QString, QString> rows[] = {
        {QString::fromLatin1("Beyonc\xE9 - D\xE9j\xE0 Vu"), "Beyoncé - Déjà Vu"},
        {QString::fromLatin1("Sin\xE9" "ad O\x92" "Connor - \x93Nothing\x94"), "Sinéad O’Connor - “Nothing”"},
        {QString::fromLatin1("M\xF6tley Cr\xFC" "e - \xC0 bout"), "Mötley Crüe - À bout"},
        {"Sigur Rós - Hoppípolla ♫", "Sigur Rós - Hoppípolla ♫"},
        {"Кино - Группа крови", "Кино - Группа крови"},
        {"Plain ASCII - Title", "Plain ASCII - Title"},
    };
    for (const auto& [text, repaired] : rows)
        EXPECT_EQ(repairTitleText(text), repaired);
}

TEST(TitleTextTest, DecodersAgreeWithIconvOnEveryByte)
{
    for (int byte = 0x20; byte < 0x100; ++byte) {
        const QByteArray single(1, char(byte));
        const QByteArray cyrillic = convert(single, "UTF-8", "WINDOWS-1251");
        const QByteArray western = convert(single, "UTF-8", "WINDOWS-1252");
        EXPECT_TRUE(cyrillic.isNull() || decodeWindows1251(single) == QString::fromUtf8(cyrillic)) << byte;
        EXPECT_TRUE(western.isNull() || decodeWindows1252(single) == QString::fromUtf8(western)) << byte;
    }
}

// Which tag lists have a title at all is the tag fuzz target's rule; these
// pin the text taken.
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
         "Artist - Song"},
        // A StreamTitle whose closing quote the server forgot.
        {TagSource::icy, gst_tag_list_new(GST_TAG_TITLE, "Artist - Song;", nullptr), "Artist - Song"},
        {TagSource::id3, gst_tag_list_new(GST_TAG_TITLE, "Song", GST_TAG_ARTIST, "Artist", nullptr), "Song"},
        {TagSource::id3, gst_tag_list_new(GST_TAG_ARTIST, "Artist", nullptr), "Artist"},
        {TagSource::other, gst_tag_list_new(GST_TAG_ARTIST, "Artist", GST_TAG_GENRE, "Jazz", nullptr), "Artist"},
        // Read as Western by GStreamer, repaired.
        {TagSource::other, gst_tag_list_new(GST_TAG_TITLE, "\xc3\x8a\xc3\xa8\xc3\xad\xc3\xae", nullptr), "Кино"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(streamTitle(c.tags, c.source), c.title) << int(c.source);
        gst_tag_list_unref(c.tags);
    }
}

} // namespace
} // namespace tunara::gst
