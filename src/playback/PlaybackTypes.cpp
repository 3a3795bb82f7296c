#include "PlaybackTypes.h"

namespace tunara {

const char* toString(PlayingStatus status)
{
    switch (status) {
    case PlayingStatus::loading: return "loading";
    case PlayingStatus::buffering: return "buffering";
    case PlayingStatus::playing: return "playing";
    case PlayingStatus::error: return "error";
    case PlayingStatus::paused: return "paused";
    }
    return "?";
}

namespace {

bool canonicallyEqual(const QString& a, const QString& b)
{
    return a == b || a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

} // namespace

bool operator==(const ParsedMetadata& a, const ParsedMetadata& b)
{
    if (!canonicallyEqual(a.title, b.title))
        return false;
    if (a.artist.has_value() != b.artist.has_value())
        return false;
    return !a.artist || canonicallyEqual(*a.artist, *b.artist);
}

} // namespace tunara
