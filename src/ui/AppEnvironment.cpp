// The one place where the program's parts are put together.

#include "AppEnvironment.h"

#include "playback/MediaBackend.h"
#include "playback/Notifier.h"
#include "playback/QtScheduler.h"

#ifdef TUNARA_HAVE_NOWPLAYING
#include "nowplaying/NowPlayingManager.h"
#endif
#ifdef TUNARA_HAVE_GSTREAMER
#include "playback/Diagnostics.h"
#include "playback/gstreamer/BackendModule.h"
#include "playback/gstreamer/GioNetworkPathMonitor.h"
#include "playback/gstreamer/LogindWakeNotifier.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#endif

namespace tunara {

namespace {

// Makes the real backend when the first station starts: loading the media
// framework's plugins costs start-up time and memory that a player sitting
// in the tray does not need yet.
class DeferredMediaBackend final : public MediaBackend {
public:
    explicit DeferredMediaBackend(std::function<std::unique_ptr<MediaBackend>()> make)
        : make_(std::move(make))
    {
    }

    std::shared_ptr<MetadataOutput> makeMetadataOutput() override { return backend().makeMetadataOutput(); }
    std::shared_ptr<PlayerItem> makePlayerItem(const QUrl& url) override { return backend().makePlayerItem(url); }
    std::shared_ptr<Player> makePlayer(const std::shared_ptr<PlayerItem>& item) override
    {
        return backend().makePlayer(item);
    }
    // The volume is kept here until the backend exists, which then starts at it.
    void setVolume(double volume) override
    {
        volume_ = volume;
        if (backend_)
            backend_->setVolume(volume);
    }
    double volume() const override { return volume_; }
    std::unique_ptr<Observation> observeVolume(VolumeHandler handler) override
    {
        return volumeObservers_.add([handler = std::move(handler)](std::optional<double> volume) { handler(*volume); });
    }

private:
    MediaBackend& backend()
    {
        if (!backend_) {
            backend_ = make_();
            backend_->setVolume(volume_);
            forwarding_ = backend_->observeVolume([this](double volume) {
                volume_ = volume;
                volumeObservers_.notify(volume);
            });
        }
        return *backend_;
    }

    std::function<std::unique_ptr<MediaBackend>()> make_;
    std::unique_ptr<MediaBackend> backend_;
    double volume_ = 1.0;
    Notifier<double> volumeObservers_;
    std::unique_ptr<Observation> forwarding_;
};

// Without a media framework every item fails at once with an error the
// controller does not retry, so the program still runs and shows
// "Connection failed".
class UnavailableObservation final : public Observation {
public:
    void invalidate() override {}
};

class UnavailableMetadataOutput final : public MetadataOutput {
public:
    void setDelegate(MetadataOutputPushDelegate*, std::weak_ptr<void>) override {}
    void clearDelegate() override {}
};

class UnavailablePlayerItem final : public PlayerItem {
public:
    UnavailablePlayerItem()
        : error_(std::make_shared<MediaError>(MediaError{
              NSURLErrorDomain, -1002, QStringLiteral("This build of Tunara cannot play streams"), nullptr}))
    {
    }

    void setPreferredForwardBufferDuration(double) override {}
    void setCanUseNetworkResourcesForLiveStreamingWhilePaused(bool) override {}
    ItemStatus status() const override { return ItemStatus::failed; }
    std::shared_ptr<const MediaError> error() const override { return error_; }
    bool playbackBufferEmpty() const override { return true; }
    bool playbackLikelyToKeepUp() const override { return false; }
    void addOutput(const std::shared_ptr<MetadataOutput>&) override {}
    void removeOutput(const std::shared_ptr<MetadataOutput>&) override {}
    std::unique_ptr<Observation> observeStatus(StatusHandler handler) override
    {
        handler(ItemStatus::failed);
        return std::make_unique<UnavailableObservation>();
    }
    std::unique_ptr<Observation> observePlaybackBufferEmpty(FlagHandler) override
    {
        return std::make_unique<UnavailableObservation>();
    }
    std::unique_ptr<Observation> observePlaybackLikelyToKeepUp(FlagHandler) override
    {
        return std::make_unique<UnavailableObservation>();
    }

private:
    std::shared_ptr<const MediaError> error_;
};

class UnavailablePlayer final : public Player {
public:
    explicit UnavailablePlayer(std::shared_ptr<PlayerItem> item)
        : item_(std::move(item))
    {
    }

    void setAutomaticallyWaitsToMinimizeStalling(bool) override {}
    void play() override {}
    void pause() override {}
    void replaceCurrentItem(std::nullptr_t) override { item_.reset(); }
    std::shared_ptr<PlayerItem> currentItem() const override { return item_; }
    double rate() const override { return 0; }
    TimeControlStatus timeControlStatus() const override { return TimeControlStatus::paused; }
    std::unique_ptr<Observation> observeTimeControlStatus(TimeControlHandler) override
    {
        return std::make_unique<UnavailableObservation>();
    }

private:
    std::shared_ptr<PlayerItem> item_;
};

class UnavailableMediaBackend final : public MediaBackend {
public:
    std::shared_ptr<MetadataOutput> makeMetadataOutput() override
    {
        return std::make_shared<UnavailableMetadataOutput>();
    }
    std::shared_ptr<PlayerItem> makePlayerItem(const QUrl&) override
    {
        return std::make_shared<UnavailablePlayerItem>();
    }
    std::shared_ptr<Player> makePlayer(const std::shared_ptr<PlayerItem>& item) override
    {
        return std::make_shared<UnavailablePlayer>(item);
    }
    void setVolume(double volume) override { volume_ = volume; }
    double volume() const override { return volume_; }
    std::unique_ptr<Observation> observeVolume(VolumeHandler) override
    {
        return std::make_unique<UnavailableObservation>();
    }

private:
    double volume_ = 1.0;
};

#ifdef TUNARA_HAVE_GSTREAMER
// Loads the GStreamer backend module and makes the backend; a backend that
// cannot play anything when the module is missing or broken.
std::unique_ptr<MediaBackend> loadGStreamerBackend()
{
    const QString fileName = QStringLiteral("libtunara-gstreamer.so");
    QString failure;
    const QDir programDirectory(QCoreApplication::applicationDirPath());
    for (const QString& directory :
         {programDirectory.path(), programDirectory.filePath(QStringLiteral(TUNARA_BACKEND_MODULE_DIR))}) {
        QLibrary module(QDir(directory).filePath(fileName));
        if (!module.load()) {
            failure = module.errorString();
            continue;
        }
        if (auto make = reinterpret_cast<decltype(&tunara_make_media_backend)>(
                module.resolve(TUNARA_BACKEND_MODULE_ENTRY)))
            return std::unique_ptr<MediaBackend>(make(&QtScheduler::mainLoop()));
        failure = module.errorString();
    }
    writeDiagnosticLine(QStringLiteral("Failed to load the media backend: ") + failure);
    return std::make_unique<UnavailableMediaBackend>();
}
#else

// The network is taken as always there, and the machine never sleeps.
class SilentNetworkPathMonitor final : public NetworkPathMonitor {
public:
    void start(UpdateHandler) override {}
    void cancel() override {}
};

class SilentWakeNotifier final : public WakeNotifier {
    class SilentRegistration final : public Registration {};

public:
    std::unique_ptr<Registration> observeWake(std::function<void()>) override
    {
        return std::make_unique<SilentRegistration>();
    }
};

#endif

#ifndef TUNARA_HAVE_NOWPLAYING

class SilentNowPlayingPublisher final : public NowPlayingPublisher {
public:
    void updateNowPlaying(const QString&, const std::optional<QString>&, const QString&, bool) override {}
    void clearNowPlaying() override {}
};

#endif

} // namespace

PlaybackEnvironment makeAppEnvironment()
{
    // The services live as long as the process, like the Store that uses them.
    PlaybackEnvironment environment;
    environment.scheduler = &QtScheduler::mainLoop();
#ifdef TUNARA_HAVE_GSTREAMER
    static DeferredMediaBackend mediaBackend(loadGStreamerBackend);
    static LogindWakeNotifier wakeNotifier;
    environment.makePathMonitor = [] { return std::make_unique<GioNetworkPathMonitor>(); };
#else
    static UnavailableMediaBackend mediaBackend;
    static SilentWakeNotifier wakeNotifier;
    environment.makePathMonitor = [] { return std::make_unique<SilentNetworkPathMonitor>(); };
#endif
    environment.mediaBackend = &mediaBackend;
    environment.wakeNotifier = &wakeNotifier;
#ifdef TUNARA_HAVE_NOWPLAYING
    environment.nowPlaying = []() -> NowPlayingPublisher& { return NowPlayingManager::shared(); };
#else
    environment.nowPlaying = []() -> NowPlayingPublisher& {
        static SilentNowPlayingPublisher publisher;
        return publisher;
    };
#endif
    return environment;
}

void connectRemoteApplicationCommands([[maybe_unused]] std::function<void()> quit,
                                      [[maybe_unused]] std::function<void()> raise)
{
#ifdef TUNARA_HAVE_NOWPLAYING
    NowPlayingManager::shared().setQuitHandler(std::move(quit));
    NowPlayingManager::shared().setRaiseHandler(std::move(raise));
#endif
}

} // namespace tunara
