#pragma once

// A scripted media backend: each session the player starts is recorded,
// and the test makes it report what a real one would.

#include "playback/PlaybackSession.h"
#include "playback/Scheduler.h"

#include <memory>
#include <vector>

namespace tunara::testing {

// What the player did with one session, and the way to make it report.
struct FakeSession {
    QUrl url;
    QString stationName;
    double volume = 1;
    double fade = 1;
    int playCalls = 0;
    int pauseCalls = 0;
    bool released = false;
    PlaybackSession::EventHandler handler;
    Scheduler* scheduler = nullptr;

    // Reports as a session does, on the main loop: handled at once...
    void report(const SessionEvent& event) const
    {
        if (!released)
            handler(event);
    }
    // ...or queued behind what the main loop already has to do.
    void post(const SessionEvent& event) const
    {
        scheduler->post([this, event] { report(event); });
    }
};

class FakeMediaBackend final : public MediaBackend {
public:
    explicit FakeMediaBackend(Scheduler& scheduler) : scheduler_(scheduler) {}

    std::unique_ptr<PlaybackSession> start(const QUrl& url, const QString& stationName, double volume,
                                           PlaybackSession::EventHandler handler) override
    {
        sessions.push_back(std::make_shared<FakeSession>(
            FakeSession{url, stationName, volume, 1, 0, 0, false, std::move(handler), &scheduler_}));
        return std::make_unique<Handle>(sessions.back());
    }

    // The latest session.
    FakeSession& session() const { return *sessions.back(); }
    std::vector<std::shared_ptr<FakeSession>> sessions;

private:
    // What the player holds; released when it goes.
    class Handle final : public PlaybackSession {
    public:
        explicit Handle(std::shared_ptr<FakeSession> session) : session_(std::move(session)) {}
        ~Handle() override { session_->released = true; }
        void play() override { ++session_->playCalls; }
        void pause() override { ++session_->pauseCalls; }
        void setVolume(double volume) override { session_->volume = volume; }
        void setFade(double gain) override { session_->fade = gain; }

    private:
        std::shared_ptr<FakeSession> session_;
    };

    Scheduler& scheduler_;
};

} // namespace tunara::testing
