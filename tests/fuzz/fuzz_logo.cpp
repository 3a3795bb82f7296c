// A favicon as a server sends it: decoding never crashes, and what it
// gives is a picture no larger than the size asked for, or nothing.

#include "Fuzz.h"

#include "model/logos/StationLogos.h"

using namespace tunara;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QImage image = StationLogos::decode(fuzz::bytes(data, size), 4096, 128);
    fuzz::check(image.isNull() || (image.width() <= 128 && image.height() <= 128 && image.width() > 0));
    return 0;
}
