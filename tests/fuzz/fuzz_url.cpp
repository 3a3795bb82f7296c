// A stream URL as the user types it: one that is accepted is accepted
// again, as the same URL, from the text the library file stores.

#include "Fuzz.h"

#include "model/Station.h"
#include "model/URLValidation.h"

using namespace tunara;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    if (text.isEmpty() || validateStreamURL(text))
        return 0;
    const Station station{{}, {}, *parseURL(text)};
    fuzz::check(!validateStreamURL(station.urlText()) && parseURL(station.urlText()) == station.url);
    return 0;
}
