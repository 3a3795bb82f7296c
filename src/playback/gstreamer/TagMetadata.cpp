#include "TagMetadata.h"

#include "GObjectPtr.h"
#include "TitleText.h"

#include "playback/MediaBackend.h"

namespace tunara::gst {

namespace {

std::optional<QString> tagText(const GstTagList* tags, const char* tag)
{
    gchar* raw = nullptr;
    if (!gst_tag_list_get_string(tags, tag, &raw))
        return std::nullopt;
    const GCharPtr owned(raw);
    return QString::fromUtf8(raw);
}

void addEntry(std::vector<MetadataEntry>& entries, const GstTagList* tags, const char* tag, QString identifier,
              std::optional<QString> commonKey, bool isTrackText)
{
    auto text = tagText(tags, tag);
    if (!text)
        return;
    entries.push_back({std::move(identifier), std::move(commonKey), isTrackText ? repairTitleText(*text) : *text});
}

} // namespace

std::vector<MetadataEntry> metadataEntries(const GstTagList* tags, TagSource source)
{
    static const QString artistKey = QStringLiteral("artist");
    std::vector<MetadataEntry> entries;
    switch (source) {
    case TagSource::icy:
        addEntry(entries, tags, GST_TAG_TITLE, QStringLiteral("icy/StreamTitle"), MetadataCommonKeyTitle, true);
        // A StreamTitle without its closing quote runs to the end of the
        // block and keeps the field separator: drop it. (A quoted title
        // never ends in the separator; one ending in ';' itself is rarer
        // than a server that forgets the quote.)
        if (!entries.empty() && entries.back().value.endsWith(QLatin1Char(';')))
            entries.back().value.chop(1);
        addEntry(entries, tags, GST_TAG_HOMEPAGE, QStringLiteral("icy/StreamUrl"), std::nullopt, false);
        break;
    case TagSource::id3:
        addEntry(entries, tags, GST_TAG_TITLE, QStringLiteral("id3/TIT2"), MetadataCommonKeyTitle, true);
        addEntry(entries, tags, GST_TAG_ARTIST, QStringLiteral("id3/TPE1"), artistKey, true);
        break;
    case TagSource::other:
        addEntry(entries, tags, GST_TAG_TITLE, QStringLiteral("common/title"), MetadataCommonKeyTitle, true);
        addEntry(entries, tags, GST_TAG_ARTIST, QStringLiteral("common/artist"), artistKey, true);
        break;
    }
    return entries;
}

} // namespace tunara::gst
