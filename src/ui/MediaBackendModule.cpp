#include "MediaBackendModule.h"

#include "common/Diagnostics.h"

#ifdef TUNARA_HAVE_GSTREAMER
#include "playback/gstreamer/BackendModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#endif

namespace tunara {

namespace {

class UnavailableSession final : public PlaybackSession {
public:
    UnavailableSession(Scheduler& scheduler, EventHandler handler)
    {
        scheduler.post([weak = lifetime_.weak(), handler = std::move(handler)] {
            if (weak.lock())
                handler(PlaybackFailure::because(FailureReason::noBackend));
        });
    }
    void play() override {}
    void pause() override {}
    void setVolume(double) override {}
    void setFade(double) override {}

private:
    LifetimeToken lifetime_;
};

class UnavailableBackend final : public MediaBackend {
public:
    explicit UnavailableBackend(Scheduler& scheduler) : scheduler_(scheduler) {}
    std::unique_ptr<PlaybackSession> start(const QUrl&, const QString&, double,
                                           PlaybackSession::EventHandler handler) override
    {
        return std::make_unique<UnavailableSession>(scheduler_, std::move(handler));
    }

private:
    Scheduler& scheduler_;
};

#ifdef TUNARA_HAVE_GSTREAMER
// Loads the module from beside the program (the build tree), else from the
// library folder relative to the program's (installed anywhere), and
// initialises GStreamer. Any thread; without a way to make the backend when
// the module is missing or broken, and why.
MediaBackendModule::Loaded loadModule(const QString& programDirectory)
{
    const QString fileName = QStringLiteral("libtunara-gstreamer.so");
    QString failure;
    const QDir directory(programDirectory);
    for (const QString& path :
         {directory.filePath(fileName), directory.filePath(QStringLiteral(TUNARA_BACKEND_MODULE_DIR "/") + fileName)}) {
        QLibrary module(path);
        if (!module.load()) {
            failure = module.errorString();
            continue;
        }
        const auto prepare = reinterpret_cast<decltype(&tunara_prepare_media_backend)>(
            module.resolve(TUNARA_BACKEND_MODULE_PREPARE));
        const auto make = reinterpret_cast<decltype(&tunara_make_media_backend)>(
            module.resolve(TUNARA_BACKEND_MODULE_MAKE));
        if (prepare && make) {
            prepare();
            return {make, {}};
        }
        failure = module.errorString();
    }
    return {nullptr, failure};
}
#endif

} // namespace

MediaBackendModule::MediaBackendModule(Scheduler& scheduler)
    : scheduler_(scheduler)
{
}

MediaBackendModule::~MediaBackendModule()
{
    if (loaded_.valid())
        loaded_.wait();
}

void MediaBackendModule::prepare()
{
    if (loaded_.valid() || backend_)
        return;
#ifdef TUNARA_HAVE_GSTREAMER
    loaded_ = std::async(std::launch::async, loadModule, QCoreApplication::applicationDirPath());
#else
    loaded_ = std::async(std::launch::deferred,
                         [] { return Loaded{nullptr, QStringLiteral("this build has no media backend")}; });
#endif
}

MediaBackend& MediaBackendModule::backend()
{
    if (!backend_) {
        prepare();
        const Loaded loaded = loaded_.get(); // waits for a preparation still running
        if (loaded.make) {
            backend_.reset(loaded.make(&scheduler_));
        } else {
            writeDiagnosticLine(QStringLiteral("Failed to load the media backend: ") + loaded.failure);
            backend_ = unavailable(scheduler_);
        }
    }
    return *backend_;
}

std::unique_ptr<PlaybackSession> MediaBackendModule::start(const QUrl& url, const QString& stationName, double volume,
                                                           PlaybackSession::EventHandler handler)
{
    return backend().start(url, stationName, volume, std::move(handler));
}

std::unique_ptr<MediaBackend> MediaBackendModule::unavailable(Scheduler& scheduler)
{
    return std::make_unique<UnavailableBackend>(scheduler);
}

} // namespace tunara
