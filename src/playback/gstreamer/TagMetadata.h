#pragma once

// The track text of a GStreamer tag list, as the player shows it: the
// title tag, charset repaired; without one, what an ID3 frame or a
// container names as the artist. An ICY stream's other field (its
// StreamUrl, which GStreamer reads as the homepage) is never track text,
// nor are station-level tags (name, genre, bitrate, codec).

#include "GLibHeaders.h"

#include <QString>

#include <optional>

namespace tunara::gst {

// Where the stream's tags come from, told by the elements in the pipeline.
enum class TagSource { icy, id3, other };

std::optional<QString> streamTitle(const GstTagList* tags, TagSource source);

} // namespace tunara::gst
