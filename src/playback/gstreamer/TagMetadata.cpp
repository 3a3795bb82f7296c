#include "TagMetadata.h"

#include "GObjectPtr.h"
#include "TitleText.h"

namespace tunara::gst {

namespace {

std::optional<QString> tagText(const GstTagList* tags, const char* tag)
{
    gchar* raw = nullptr;
    if (!gst_tag_list_get_string(tags, tag, &raw))
        return std::nullopt;
    const GCharPtr owned(raw);
    return repairTitleText(QString::fromUtf8(raw));
}

// GStreamer describes codecs at length ("MPEG-1 Layer 3 (MP3)", "MPEG-4
// AAC"); listeners know them by their short names.
QString shortCodecName(const QString& described)
{
    static const std::pair<const char*, const char*> known[] = {
        {"MP3", "MP3"},   {"Layer 3", "MP3"}, {"Layer 2", "MP2"}, {"AAC", "AAC"},
        {"Vorbis", "Vorbis"}, {"Opus", "Opus"}, {"FLAC", "FLAC"},
    };
    for (const auto& [part, name] : known) {
        if (described.contains(QLatin1String(part), Qt::CaseInsensitive))
            return QLatin1String(name);
    }
    return described.left(32);
}

} // namespace

void DetailsSeen::merge(const DetailsSeen& newer)
{
    if (!newer.codec.isEmpty())
        codec = newer.codec;
    for (auto [mine, theirs] : {std::pair{&nominalBitrate, newer.nominalBitrate}, std::pair{&bitrate, newer.bitrate}}) {
        if (theirs > 0)
            *mine = theirs;
    }
    for (auto [mine, theirs] : {std::pair{&sampleRate, newer.sampleRate}, std::pair{&channels, newer.channels}}) {
        if (theirs > 0)
            *mine = theirs;
    }
}

DetailsSeen tagDetails(const GstTagList* tags)
{
    DetailsSeen seen;
    if (const auto codec = tagText(tags, GST_TAG_AUDIO_CODEC))
        seen.codec = shortCodecName(codec->trimmed());
    guint value = 0;
    if (gst_tag_list_get_uint(tags, GST_TAG_NOMINAL_BITRATE, &value))
        seen.nominalBitrate = value;
    if (gst_tag_list_get_uint(tags, GST_TAG_BITRATE, &value))
        seen.bitrate = value;
    return seen;
}

DetailsSeen capsDetails(const GstCaps* caps)
{
    DetailsSeen seen;
    if (!caps || gst_caps_get_size(caps) == 0)
        return seen;
    const GstStructure* structure = gst_caps_get_structure(caps, 0);
    gst_structure_get_int(structure, "rate", &seen.sampleRate);
    gst_structure_get_int(structure, "channels", &seen.channels);
    return seen;
}

std::optional<QString> streamTitle(const GstTagList* tags, TagSource source)
{
    std::optional<QString> title = tagText(tags, GST_TAG_TITLE);
    if (source == TagSource::icy) {
        // A StreamTitle without its closing quote runs to the end of the
        // block and keeps the field separator: drop it. (A quoted title
        // never ends in the separator; one ending in ';' itself is rarer
        // than a server that forgets the quote.)
        if (title && title->endsWith(QLatin1Char(';')))
            title->chop(1);
        return title;
    }
    return title ? title : tagText(tags, GST_TAG_ARTIST);
}

} // namespace tunara::gst
