#pragma once

// Names the track tags of a GStreamer tag list the way the controller's
// metadata selection expects: the key space of the stream's own metadata
// ("icy/", "id3/" or "common/") followed by the key, so the suffix tests for
// "StreamTitle", "TIT2" and "StreamUrl" apply. Station-level tags (name,
// genre, bitrate, codec) are left out: they are not track text.

#include "GLibHeaders.h"

#include <QString>

#include <optional>
#include <vector>

namespace tunara::gst {

// Where the stream's tags come from, told by the elements in the pipeline.
enum class TagSource { icy, id3, other };

struct MetadataEntry {
    QString identifier;
    std::optional<QString> commonKey;
    QString value;

    friend bool operator==(const MetadataEntry&, const MetadataEntry&) = default;
};

std::vector<MetadataEntry> metadataEntries(const GstTagList* tags, TagSource source);

} // namespace tunara::gst
