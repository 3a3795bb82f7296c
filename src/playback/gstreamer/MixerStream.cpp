#include "MixerStream.h"

#include "GObjectPtr.h"

#include "common/DisplayText.h"

namespace tunara::gst {

namespace {

const QString separator = QStringLiteral(" — ");

} // namespace

GstStructure* mixerStreamProperties(const QString& stationName)
{
    const QByteArray name = cleanDisplayText(stationName).toUtf8();
    return gst_structure_new("props", "application.name", G_TYPE_STRING, applicationName, "application.icon_name",
                             G_TYPE_STRING, applicationIconName, "application.id", G_TYPE_STRING, applicationId,
                             "media.role", G_TYPE_STRING, "music", "media.name", G_TYPE_STRING,
                             name.isEmpty() ? applicationName : name.constData(), nullptr);
}

QString mixerName(const QString& stationName, const QString& title)
{
    return cleanDisplayText(stationName) + separator + cleanDisplayText(title);
}

GstTagList* tagsForMixer(const GstTagList* tags, const QString& stationName)
{
    gchar* title = nullptr;
    if (cleanDisplayText(stationName).isEmpty() || !gst_tag_list_get_string(tags, GST_TAG_TITLE, &title))
        return nullptr;
    const GCharPtr owned(title);
    GstTagList* rewritten = gst_tag_list_copy(tags);
    // The sink would add "by <artist>" after the title.
    gst_tag_list_remove_tag(rewritten, GST_TAG_ARTIST);
    gst_tag_list_add(rewritten, GST_TAG_MERGE_REPLACE, GST_TAG_TITLE,
                     mixerName(stationName, QString::fromUtf8(title)).toUtf8().constData(), nullptr);
    return rewritten;
}

} // namespace tunara::gst
