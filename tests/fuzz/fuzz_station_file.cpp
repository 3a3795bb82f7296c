// A station list imported from a playlist file of any extension: only
// http and https stations with clean names, and exporting them and
// importing the export gives the same list.

#include "Fuzz.h"

#include "model/StationListFile.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace tunara {

// As the station list would store them.
static bool operator==(const ListedStation& a, const ListedStation& b)
{
    return a.name == b.name && a.url.toString(QUrl::FullyEncoded) == b.url.toString(QUrl::FullyEncoded);
}

} // namespace tunara

using namespace tunara;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString name = input.PickValueInArray({"list.m3u", "list.pls", "list.xspf", "list.txt"});
    const QByteArray body = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());
    const StationFileContents contents = readStationFile(fuzz::fileWith(name, body));
    QList<Station> stations;
    for (const ListedStation& station : contents.stations) {
        fuzz::check(fuzz::isWebURL(station.url) && fuzz::isShownText(station.name));
        stations.append(Station::make(station.name, station.url));
    }
    const QString exported = fuzz::fileWith(QStringLiteral("export.m3u8"), {});
    fuzz::check(!writeStationFile(exported, stations) && readStationFile(exported).stations == contents.stations);
    return 0;
}
