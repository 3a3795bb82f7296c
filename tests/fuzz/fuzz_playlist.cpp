// A playlist a station serves, read as each format: every entry is an
// absolute URL, relative ones resolved against the playlist's own.

#include "Fuzz.h"

#include "playback/PlaylistParser.h"

using namespace tunara;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body = fuzz::bytes(data, size);
    static const QUrl base(QStringLiteral("http://radio.example/listen/station.pls"));
    for (const auto format : {PlaylistFormat::pls, PlaylistFormat::m3u, PlaylistFormat::xspf, PlaylistFormat::asx}) {
        for (const PlaylistEntry& entry : parsePlaylistEntries(format, body, base))
            fuzz::check(entry.url.isValid() && !entry.url.isRelative());
    }
    return 0;
}
