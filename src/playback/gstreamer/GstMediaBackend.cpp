#include "GstMediaBackend.h"

#include "GstMetadata.h"
#include "PlaybinSession.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tunara {

namespace {

using gst::PlaybinSession;

class GstPlayerItem final : public PlayerItem {
public:
    explicit GstPlayerItem(std::shared_ptr<PlaybinSession> session) : session_(std::move(session)) {}
    ~GstPlayerItem() override { session_->stop(); }

    // The backend decides how much to buffer; a live stream keeps loading while paused.
    void setDisplayName(const QString& name) override { session_->setDisplayName(name); }
    void setPreferredForwardBufferDuration(double) override {}
    void setCanUseNetworkResourcesForLiveStreamingWhilePaused(bool) override {}

    ItemStatus status() const override { return session_->status(); }
    std::shared_ptr<const MediaError> error() const override { return session_->error(); }
    bool playbackBufferEmpty() const override { return session_->bufferEmpty(); }
    bool playbackLikelyToKeepUp() const override { return session_->likelyToKeepUp(); }

    void addOutput(const std::shared_ptr<MetadataOutput>& output) override
    {
        if (auto ours = std::dynamic_pointer_cast<gst::GstMetadataOutput>(output))
            session_->addOutput(ours);
    }
    void removeOutput(const std::shared_ptr<MetadataOutput>& output) override
    {
        if (auto ours = std::dynamic_pointer_cast<gst::GstMetadataOutput>(output))
            session_->removeOutput(ours);
    }

    std::unique_ptr<Observation> observeStatus(StatusHandler handler) override
    {
        const ItemStatus current = session_->status();
        auto observation = session_->statusChanged.add(handler);
        handler(current);
        return observation;
    }
    std::unique_ptr<Observation> observePlaybackBufferEmpty(FlagHandler handler) override
    {
        return session_->bufferEmptyChanged.add(std::move(handler));
    }
    std::unique_ptr<Observation> observePlaybackLikelyToKeepUp(FlagHandler handler) override
    {
        return session_->likelyToKeepUpChanged.add(std::move(handler));
    }

    const std::shared_ptr<PlaybinSession>& session() const { return session_; }

private:
    std::shared_ptr<PlaybinSession> session_;
};

class GstPlayer final : public Player {
public:
    explicit GstPlayer(std::shared_ptr<GstPlayerItem> item) : item_(std::move(item))
    {
        if (item_)
            item_->session()->start();
    }
    ~GstPlayer() override { replaceCurrentItem(nullptr); }

    // Waiting to minimise stalls is what the output's buffer policy does.
    void setAutomaticallyWaitsToMinimizeStalling(bool) override {}

    void play() override
    {
        if (item_)
            item_->session()->setWantsToPlay(true);
    }
    void pause() override
    {
        if (item_)
            item_->session()->setWantsToPlay(false);
    }
    void replaceCurrentItem(std::nullptr_t) override
    {
        if (item_)
            item_->session()->stop();
        item_.reset();
    }
    std::shared_ptr<PlayerItem> currentItem() const override { return item_; }
    double rate() const override { return item_ && item_->session()->wantsToPlay() ? 1.0 : 0.0; }
    TimeControlStatus timeControlStatus() const override
    {
        return item_ ? item_->session()->timeControlStatus() : TimeControlStatus::paused;
    }

    std::unique_ptr<Observation> observeTimeControlStatus(TimeControlHandler handler) override
    {
        if (!item_)
            return Notifier<TimeControlStatus>().add(std::move(handler));
        return item_->session()->timeControlChanged.add(std::move(handler));
    }

private:
    std::shared_ptr<GstPlayerItem> item_;
};

} // namespace

GstMediaBackend::GstMediaBackend(Scheduler& scheduler, GstMediaBackendOptions options)
    : scheduler_(scheduler)
    , options_(std::move(options))
{
    initializeGStreamer();
}

std::shared_ptr<MetadataOutput> GstMediaBackend::makeMetadataOutput()
{
    return std::make_shared<gst::GstMetadataOutput>();
}

std::shared_ptr<PlayerItem> GstMediaBackend::makePlayerItem(const QUrl& url)
{
    gst::SessionSettings settings{options_.makeAudioSink, options_.sourceTimeoutSeconds, options_.startTimeoutSeconds,
                                  options_.buffering, volume_,
                                  [this, weak = lifetime_.weak()](double volume) {
                                      if (weak.lock())
                                          volumeSetOutside(volume);
                                  },
                                  [this, weak = lifetime_.weak()] {
                                      if (weak.lock())
                                          returnFreedMemorySoon();
                                  }};
    auto session = std::make_shared<PlaybinSession>(scheduler_, std::move(settings), url);
    std::erase_if(sessions_, [](const auto& held) { return held.expired(); });
    sessions_.push_back(session);
    return std::make_shared<GstPlayerItem>(std::move(session));
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

void GstMediaBackend::setVolume(double volume)
{
    volume_ = volume;
    for (const auto& held : sessions_) {
        if (auto session = held.lock())
            session->setVolume(volume);
    }
}

void GstMediaBackend::volumeSetOutside(double volume)
{
    setVolume(volume);
    volumeObservers_.notify(volume);
}

std::unique_ptr<Observation> GstMediaBackend::observeVolume(VolumeHandler handler)
{
    return volumeObservers_.add([handler = std::move(handler)](std::optional<double> volume) { handler(*volume); });
}

std::shared_ptr<Player> GstMediaBackend::makePlayer(const std::shared_ptr<PlayerItem>& item)
{
    return std::make_shared<GstPlayer>(std::dynamic_pointer_cast<GstPlayerItem>(item));
}

} // namespace tunara
