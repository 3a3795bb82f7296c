// The MPRIS calls that carry values from other programs, made as the bus
// makes them, on a player with the four stations a new user gets: the
// volume set is clamped to 0 to 1 (not a number changes nothing), a page
// of playlists is no longer than asked for, and only a station's own
// playlist id plays it.

#include "Fuzz.h"

#include "model/StationLibrary.h"
#include "model/Store.h"
#include "nowplaying/MprisAdaptors.h"
#include "nowplaying/MprisService.h"
#include "support/FakePlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QMetaProperty>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cmath>

using namespace tunara;

namespace {

// Every station's artwork is on disk already: nothing is drawn.
bool prepare()
{
    static int argc = 1;
    static char name[] = "fuzz_mpris";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    qputenv("XDG_CACHE_HOME", fuzz::folder().toUtf8());
    QDir().mkpath(artworkDirectory());
    for (const Station& station : StationLibrary::defaultStations())
        fuzz::fileWith(QStringLiteral("tunara/artwork/") + ArtworkFiles::fileName(station.name), "png");
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    [[maybe_unused]] static const bool prepared = prepare();
    testing::FakePlatform platform;
    PlaybackController controller{platform.environment()};
    Store store{controller, std::nullopt, std::nullopt, platform.clock};
    MprisService service{store, platform.clock, QDBusConnection(QStringLiteral("none"))};
    FuzzedDataProvider input(data, size);

    const double volume = std::bit_cast<double>(input.ConsumeIntegral<uint64_t>());
    for (QObject* adaptor : service.children()) {
        const QMetaObject* type = adaptor->metaObject();
        for (int i = type->propertyOffset(); i < type->propertyCount(); ++i) {
            if (type->property(i).isWritable())
                type->property(i).write(adaptor, volume);
        }
    }
    fuzz::check(service.volume() == (std::isfinite(volume) ? std::clamp(volume, 0.0, 1.0) : 1.0));

    auto* playlists = service.findChild<MprisPlaylistsAdaptor*>();
    const QList<Station> stations = store.stations();
    const uint index = input.ConsumeIntegral<uint>();
    const uint count = input.ConsumeIntegral<uint>();
    const QString order = QString::fromStdString(input.ConsumeRandomLengthString());
    const auto page = playlists->GetPlaylists(index, count, order, input.ConsumeBool(), {});
    fuzz::check(page.size() <= std::min<qint64>(count, std::max<qint64>(0, stations.size() - qint64(index))));

    const QDBusObjectPath id = input.ConsumeBool()
        ? mpris::playlistPath(stations.at(input.ConsumeIntegralInRange<qsizetype>(0, stations.size() - 1)).id)
        : QDBusObjectPath(QString::fromStdString(input.ConsumeRemainingBytesAsString()));
    playlists->ActivatePlaylist(id, {});
    service.findChild<MprisPlayerAdaptor*>()->OpenUri(id.path(), {});
    platform.clock.runPending();
    const std::optional<Station> playing = store.selectedStation();
    fuzz::check(playing ? mpris::playlistPath(playing->id) == id
                        : std::none_of(stations.begin(), stations.end(),
                                       [&](const Station& s) { return mpris::playlistPath(s.id) == id; }));
    return 0;
}
