#pragma once

// The services the playback controller is built with: the main-loop
// scheduler, the media backend, and the sources of network-availability
// and wake events.

#include "Scheduler.h"

#include <functional>
#include <memory>

namespace tunara {

class MediaBackend;

// Reports whether the network is available. The update handler may be
// called on any thread; the first report may repeat the current state.
class NetworkMonitor {
public:
    using UpdateHandler = std::function<void(bool available)>;

    virtual ~NetworkMonitor() = default;
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
    std::function<std::unique_ptr<NetworkMonitor>()> makeNetworkMonitor;
    WakeNotifier* wakeNotifier = nullptr;
};

} // namespace tunara
