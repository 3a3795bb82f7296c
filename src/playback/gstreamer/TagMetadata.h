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

// What a tag list or the decoded audio's caps say of the stream; empty or
// 0 where they say nothing.
struct DetailsSeen {
    QString codec; // its short name: "MP3", "AAC", "Vorbis", "Opus", …
    unsigned nominalBitrate = 0;
    unsigned bitrate = 0;
    int sampleRate = 0;
    int channels = 0;
    // Another's values where it has them.
    void merge(const DetailsSeen& newer);
};
DetailsSeen tagDetails(const GstTagList* tags);
DetailsSeen capsDetails(const GstCaps* caps);

} // namespace tunara::gst
