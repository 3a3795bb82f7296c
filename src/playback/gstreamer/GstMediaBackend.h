#pragma once

// The media backend on GStreamer: each player item is a playbin reading the
// station over http or https, followed by an output that buffers decoded
// audio and plays it through the desktop's default output.
//
// Everything is driven from the main thread. GStreamer's bus messages and
// buffer signals arrive on its streaming threads and are handed to the main
// loop through the scheduler; the connection probe and GIO run on the GLib
// main context, which Qt's main loop drives on the main thread.

#include "BufferPolicy.h"
#include "playback/Notifier.h"

#include "playback/MediaBackend.h"
#include "playback/Scheduler.h"

#include "GLibHeaders.h"

#include <functional>

namespace tunara {

namespace gst {
class PlaybinSession;
}

struct GstMediaBackendOptions {
    // Makes the element that plays the audio (a new, floating reference);
    // autoaudiosink when empty. Tests give a sink that consumes in real time.
    std::function<GstElement*()> makeAudioSink;
    // Seconds the HTTP source, and the probe that explains its failures,
    // wait for a silent server.
    unsigned sourceTimeoutSeconds = 15;
    // Seconds a stream has to become playable before its item fails.
    double startTimeoutSeconds = 15;
    gst::BufferSettings buffering;
};

class GstMediaBackend final : public MediaBackend {
public:
    // Initialises GStreamer (initializeGStreamer) if that has not happened yet.
    explicit GstMediaBackend(Scheduler& scheduler, GstMediaBackendOptions options = {});

    std::shared_ptr<MetadataOutput> makeMetadataOutput() override;
    std::shared_ptr<PlayerItem> makePlayerItem(const QUrl& url) override;
    std::shared_ptr<Player> makePlayer(const std::shared_ptr<PlayerItem>& item) override;
    void setVolume(double volume) override;
    double volume() const override { return volume_; }
    std::unique_ptr<Observation> observeVolume(VolumeHandler handler) override;

private:
    void volumeSetOutside(double volume);
    void returnFreedMemorySoon();

    Scheduler& scheduler_;
    GstMediaBackendOptions options_;
    double volume_ = 1.0;
    Notifier<double> volumeObservers_;
    // The items made, to carry a new volume to those still alive.
    std::vector<std::weak_ptr<gst::PlaybinSession>> sessions_;
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
