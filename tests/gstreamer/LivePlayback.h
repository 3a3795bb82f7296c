#pragma once

// A real PlaybackController on the real GStreamer backend, in real time,
// with the audio going to a sink that consumes it at real-time rate. Only
// the network and wake sources are the test's own.

#include "StreamFixture.h"
#include "support/EventLoop.h"
#include "support/FakePlatform.h"

#include "GstMediaBackend.h"
#include "playback/PlaybackController.h"
#include "playback/QtScheduler.h"

#include <memory>
#include <vector>

namespace tunara::testing {

// Whether some process holds the FIFO open for reading.
bool fifoHasReader(const QString& fifo);

// A sink that plays nothing but consumes in real time.
GstElement* makeRealTimeSink();

struct LivePlayback {
    explicit LivePlayback(GstMediaBackendOptions options = defaultOptions());
    ~LivePlayback();

    static GstMediaBackendOptions defaultOptions();

    void play(const QUrl& url) { controller->play(url, QStringLiteral("Fixture Radio"), true); }
    PlayingStatus status() const { return controller->status(); }
    bool waitFor(PlayingStatus status, double seconds = 20);
    bool waitForTrack(double seconds = 20);

    StreamFixture server;
    QtScheduler scheduler;
    GstMediaBackend backend;
    NetworkMonitor::UpdateHandler networkHandler;
    FakeWakeNotifier wakeNotifier;
    // What the sessions reported and the player made of it.
    std::vector<PlaybackFailure> failures;
    std::vector<PlayingStatus> statuses;
    std::vector<double> volumes;
    std::unique_ptr<MediaBackend> recordingBackend; // the backend, keeping the failures
    std::unique_ptr<PlaybackController> controller;
};

} // namespace tunara::testing
