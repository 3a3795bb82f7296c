#include "FakeMediaBackend.h"

namespace tunara::testing {

namespace {

class Handle final : public PlaybackSession {
public:
    explicit Handle(std::shared_ptr<FakeSession> session) : session_(std::move(session)) {}
    ~Handle() override { session_->released = true; }
    void play() override { ++session_->playCalls; }
    void pause() override { ++session_->pauseCalls; }
    void setVolume(double volume) override { session_->volume = volume; }

private:
    std::shared_ptr<FakeSession> session_;
};

} // namespace

void FakeSession::report(const SessionEvent& event) const
{
    if (!released)
        handler(event);
}

void FakeSession::post(const SessionEvent& event) const
{
    scheduler->post([this, event] { report(event); });
}

std::unique_ptr<PlaybackSession> FakeMediaBackend::start(const QUrl& url, const QString& stationName, double volume,
                                                         PlaybackSession::EventHandler handler)
{
    auto session = std::make_shared<FakeSession>();
    session->url = url;
    session->stationName = stationName;
    session->volume = volume;
    session->handler = std::move(handler);
    session->scheduler = &scheduler_;
    sessions.push_back(session);
    return std::make_unique<Handle>(session);
}

} // namespace tunara::testing
