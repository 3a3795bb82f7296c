#pragma once

// The services the playback controller is built with: the main-loop
// scheduler, the media backend, the now-playing publisher, and the sources
// of network-availability and wake events.

#include "Scheduler.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tunara {

class MediaBackend;

// Where the controller publishes what is playing.
class NowPlayingPublisher {
public:
    virtual ~NowPlayingPublisher() = default;
    virtual void updateNowPlaying(const QString& title, const std::optional<QString>& artist,
                                  const QString& stationName, bool isPlaying) = 0;
    virtual void clearNowPlaying() = 0;
};

// Reports whether the network is available. The update handler may be
// called on any thread; the first report may repeat the current state.
class NetworkPathMonitor {
public:
    using UpdateHandler = std::function<void(bool available)>;

    virtual ~NetworkPathMonitor() = default;
    virtual void start(UpdateHandler handler) = 0;
    virtual void cancel() = 0;
};

// Reports that the machine has woken from sleep. The handler may be called
// on any thread. Destroying the returned registration removes it.
class WakeNotifier {
public:
    class Registration {
    public:
        virtual ~Registration() = default;
    };

    virtual ~WakeNotifier() = default;
    [[nodiscard]] virtual std::unique_ptr<Registration> observeWake(std::function<void()> handler) = 0;
};

struct PlaybackEnvironment {
    Scheduler* scheduler = nullptr;
    MediaBackend* mediaBackend = nullptr;
    // Reaches the one publisher; the first call creates it.
    std::function<NowPlayingPublisher&()> nowPlaying;
    std::function<std::unique_ptr<NetworkPathMonitor>()> makePathMonitor;
    WakeNotifier* wakeNotifier = nullptr;
};

} // namespace tunara
