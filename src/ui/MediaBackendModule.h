#pragma once

#include "playback/PlaybackSession.h"
#include "playback/Scheduler.h"

#include <QString>

#include <future>
#include <memory>

namespace tunara {

// The program's media backend: the GStreamer module, loaded when it is
// first needed, so a player that only sits in the tray maps neither
// GStreamer nor its plugins. Loading it and initialising GStreamer take
// long enough to be felt on the first click: prepare() does that work on a
// worker thread as soon as a click is likely (the panel opens). Without the
// module every session fails at once, with a reason that is never retried.
class MediaBackendModule final : public MediaBackend {
public:
    explicit MediaBackendModule(Scheduler& scheduler);
    ~MediaBackendModule() override;

    // Starts loading the module on a worker thread, once.
    void prepare();

    std::unique_ptr<PlaybackSession> start(const QUrl& url, const QString& stationName, double volume,
                                           PlaybackSession::EventHandler handler) override;

    // A backend whose sessions all fail because nothing can play.
    static std::unique_ptr<MediaBackend> unavailable(Scheduler& scheduler);

    // What loading the module gave: the way to make the backend, or why not.
    struct Loaded {
        MediaBackend* (*make)(Scheduler*) = nullptr;
        QString failure;
    };

private:
    MediaBackend& backend();

    Scheduler& scheduler_;
    std::future<Loaded> loaded_;
    std::unique_ptr<MediaBackend> backend_;
};

} // namespace tunara
