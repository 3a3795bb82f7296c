#pragma once

// The media backend on GStreamer: each session is a playbin reading the
// station over http or https, followed by an output that buffers decoded
// audio and plays it through the desktop's default output.
//
// Everything is driven from the main thread. GStreamer's bus messages and
// pad probes arrive on its streaming threads and are handed to the main
// loop through the scheduler, once; the connection probe and GIO run on
// the GLib main context, which Qt's main loop drives on the main thread.

#include "BufferPolicy.h"

#include "playback/PlaybackSession.h"
#include "playback/Scheduler.h"

#include "GLibHeaders.h"

#include <functional>

namespace tunara {

struct GstMediaBackendOptions {
    // Makes the element that plays the audio (a new, floating reference);
    // autoaudiosink when empty. Tests give a sink that consumes in real time.
    std::function<GstElement*()> makeAudioSink;
    // Seconds the HTTP source, and the probe that explains its failures,
    // wait for a silent server.
    unsigned sourceTimeoutSeconds = 15;
    // Seconds a stream has to become playable before it fails.
    double startTimeoutSeconds = 15;
    gst::BufferSettings buffering;
};

class GstMediaBackend final : public MediaBackend {
public:
    // Initialises GStreamer (initializeGStreamer) if that has not happened yet.
    explicit GstMediaBackend(Scheduler& scheduler, GstMediaBackendOptions options = {});

    std::unique_ptr<PlaybackSession> start(const QUrl& url, const QString& stationName, double volume,
                                           PlaybackSession::EventHandler handler) override;

private:
    void returnFreedMemorySoon();

    Scheduler& scheduler_;
    GstMediaBackendOptions options_;
    std::unique_ptr<OneShotTimer> freedMemoryTimer_;
    LifetimeToken lifetime_;
};

// Initialises GStreamer for this player, once per process: after it every
// URI but http and https makes the refusing source, so no stream, redirect,
// playlist, variant or segment can open anything else; MP3 and AAC play on
// their small decoders. The backend calls it when it is made; a program may
// call it earlier, at start.
void initializeGStreamer();

} // namespace tunara
