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

} // namespace

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
