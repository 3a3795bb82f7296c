#pragma once

// Everything a PlaybackController or Store needs, faked for tests: a
// virtual clock, the scripted media backend, a recording now-playing
// publisher and network and wake sources the test triggers.

#include "FakeMediaBackend.h"
#include "VirtualClock.h"
#include "playback/PlaybackEnvironment.h"

#include <QString>

#include <optional>
#include <vector>

namespace tunara::testing {

class RecordingNowPlaying final : public NowPlayingPublisher {
public:
    struct Update {
        QString title;
        std::optional<QString> artist;
        QString stationName;
        bool isPlaying;
    };

    void updateNowPlaying(const QString& title, const std::optional<QString>& artist, const QString& stationName,
                          bool isPlaying) override
    {
        updates.push_back({title, artist, stationName, isPlaying});
        cleared = false;
    }
    void clearNowPlaying() override
    {
        ++clearCount;
        cleared = true;
    }

    std::vector<Update> updates;
    int clearCount = 0;
    bool cleared = false;
};

class FakeNetworkPathMonitor final : public NetworkPathMonitor {
public:
    explicit FakeNetworkPathMonitor(UpdateHandler* slot)
        : slot_(slot)
    {
    }
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
    FakeMediaBackend backend;
    RecordingNowPlaying nowPlaying;
    NetworkPathMonitor::UpdateHandler networkHandler;
    FakeWakeNotifier wakeNotifier;
    int nowPlayingAccessCount = 0;

    PlaybackEnvironment environment()
    {
        PlaybackEnvironment environment;
        environment.scheduler = &clock;
        environment.mediaBackend = &backend;
        environment.nowPlaying = [this]() -> NowPlayingPublisher& {
            ++nowPlayingAccessCount;
            return nowPlaying;
        };
        environment.makePathMonitor = [this] { return std::make_unique<FakeNetworkPathMonitor>(&networkHandler); };
        environment.wakeNotifier = &wakeNotifier;
        return environment;
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
