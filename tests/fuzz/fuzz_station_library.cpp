// A library file as found on disk: a list that loads saves to a file that
// loads and saves to the same bytes again.

#include "Fuzz.h"

#include "model/StationLibrary.h"

using namespace tunara;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<QList<Station>> stations = StationLibrary::decodeStations(fuzz::bytes(data, size));
    if (!stations)
        return 0;
    const QByteArray saved = StationLibrary::encodeStations(*stations);
    const std::optional<QList<Station>> again = StationLibrary::decodeStations(saved);
    fuzz::check(again && StationLibrary::encodeStations(*again) == saved);
    return 0;
}
