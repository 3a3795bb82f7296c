// A stream title as GStreamer hands it over (UTF-8, or Latin-1 read as
// such): the repair keeps one character per character, and the track the
// player shows from it has a title and maybe an artist, both clean text.

#include "Fuzz.h"

#include "TitleText.h"
#include "playback/PlaybackTypes.h"

using namespace tunara;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    const QString repaired = gst::repairTitleText(text);
    fuzz::check(repaired.size() == text.size());
    if (const std::optional<Track> track = parseStreamTitle(cleanDisplayText(repaired)))
        fuzz::check(fuzz::isShownText(track->title) && (!track->artist || fuzz::isShownText(*track->artist)));
    return 0;
}
