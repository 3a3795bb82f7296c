#pragma once

// Everything a PlaybackController needs, faked for tests: a virtual clock,
// the scripted media backend, and network and wake sources the test
// triggers.

#include "FakeMediaBackend.h"
#include "VirtualClock.h"
#include "playback/PlaybackEnvironment.h"

namespace tunara::testing {

class FakeNetworkMonitor final : public NetworkMonitor {
public:
    explicit FakeNetworkMonitor(UpdateHandler* slot) : slot_(slot) {}
    void start(UpdateHandler handler) override { *slot_ = std::move(handler); }
    void cancel() override { *slot_ = nullptr; }

private:
    UpdateHandler* slot_;
};

class FakeWakeNotifier final : public WakeNotifier {
public:
    std::unique_ptr<Registration> observeWake(std::function<void()> handler) override
    {
        handler_ = std::move(handler);
        return std::make_unique<Registration>();
    }
    void wake() const
    {
        if (handler_)
            handler_();
    }

private:
    std::function<void()> handler_;
};

struct FakePlatform {
    VirtualClock clock;
    FakeMediaBackend backend{clock};
    NetworkMonitor::UpdateHandler networkHandler;
    FakeWakeNotifier wakeNotifier;

    PlaybackEnvironment environment()
    {
        return {&clock, &backend, [this] { return std::make_unique<FakeNetworkMonitor>(&networkHandler); },
                &wakeNotifier};
    }

    void reportNetwork(bool available)
    {
        if (networkHandler)
            networkHandler(available);
        clock.runPending();
    }
    void wake()
    {
        wakeNotifier.wake();
        clock.runPending();
    }
};

} // namespace tunara::testing
