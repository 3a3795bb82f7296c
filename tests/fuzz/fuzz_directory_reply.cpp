// The directory's answer to a search: no more stations than asked for,
// each with an http or https stream and clean texts.

#include "Fuzz.h"

#include "model/directory/DirectoryReply.h"

using namespace tunara;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr qsizetype asked = 50;
    const auto stations = parseSearchReply(fuzz::bytes(data, size), asked);
    if (!stations)
        return 0;
    fuzz::check(stations->size() <= asked);
    for (const DirectoryStation& station : *stations) {
        fuzz::check(fuzz::isWebURL(station.url) && station.knownURLs.contains(station.url)
                    && fuzz::isShownText(station.name));
        for (const QString& tag : station.tags)
            fuzz::check(fuzz::isShownText(tag));
    }
    return 0;
}
