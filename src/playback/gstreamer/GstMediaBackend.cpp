#include "GstMediaBackend.h"

#include "PlaybinSession.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tunara {

namespace {

class GstSession final : public PlaybackSession {
public:
    explicit GstSession(std::shared_ptr<gst::PlaybinSession> session) : session_(std::move(session)) {}
    ~GstSession() override { session_->stop(); }

    void play() override { session_->setWantsToPlay(true); }
    void pause() override { session_->setWantsToPlay(false); }
    void setVolume(double volume) override { session_->setVolume(volume); }
    void setFade(double gain) override { session_->setFade(gain); }

private:
    std::shared_ptr<gst::PlaybinSession> session_;
};

} // namespace

GstMediaBackend::GstMediaBackend(Scheduler& scheduler, GstMediaBackendOptions options)
    : scheduler_(scheduler)
    , options_(std::move(options))
{
    initializeGStreamer();
}

std::unique_ptr<PlaybackSession> GstMediaBackend::start(const QUrl& url, const QString& stationName, double volume,
                                                        PlaybackSession::EventHandler handler)
{
    gst::SessionSettings settings{options_.makeAudioSink, options_.sourceTimeoutSeconds, options_.startTimeoutSeconds,
                                  options_.buffering, [this, weak = lifetime_.weak()] {
                                      if (weak.lock())
                                          returnFreedMemorySoon();
                                  }};
    auto session = std::make_shared<gst::PlaybinSession>(scheduler_, std::move(settings), url, stationName, volume,
                                                         std::move(handler));
    session->start();
    return std::make_unique<GstSession>(std::move(session));
}

void GstMediaBackend::returnFreedMemorySoon()
{
    // The allocator keeps most of what a pipeline and its threads freed, for
    // reuse; a player that changes station now and then gives it back to the
    // system a moment after the last change, when the new station plays.
    freedMemoryTimer_ = scheduler_.startTimer(3.0, [] {
#ifdef __GLIBC__
        malloc_trim(0);
#endif
    });
}

} // namespace tunara
