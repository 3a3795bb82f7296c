#pragma once

// A real PlaybackController on the real GStreamer backend, in real time,
// playing from the local stream server (tests/fixtures/stream_server.py)
// into a sink that consumes the audio at real-time rate. Only the network
// and wake sources are the test's own.

#include "support/EventLoop.h"
#include "support/FakePlatform.h"
#include "support/FixtureProcess.h"
#include "support/QtPrinters.h"

#include "GstMediaBackend.h"
#include "playback/PlaybackController.h"
#include "playback/QtScheduler.h"

#include <QTemporaryDir>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace tunara::testing {

// A sink that plays nothing but consumes in real time.
GstElement* makeRealTimeSink();

struct LivePlayback {
    explicit LivePlayback(GstMediaBackendOptions options = defaultOptions());
    ~LivePlayback();

    static GstMediaBackendOptions defaultOptions();

    // where with {http}, {https} and {refused} (a port nobody listens on)
    // made the server's origins, and {fifo} the path of fifo; a path alone
    // is on {http}. E.g. "/icy/mp3?charset=utf-8".
    QString resolve(const QString& where) const;
    // The server's path that serves body, resolved, with the content type.
    QString playlist(const QString& type, const QString& body) const;
    void play(const QString& where) { controller->play(QUrl(resolve(where)), QStringLiteral("Fixture Radio"), true); }
    PlayingStatus status() const { return controller->status(); }
    bool waitFor(PlayingStatus status, double seconds = 20);
    bool waitForTrack(double seconds = 20);

    QTemporaryDir directory;
    QString fifo; // a stand-in local file, and whether anything opened it:
    std::atomic<bool> fifoOpened = false;
    FixtureProcess server;
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
    std::atomic<bool> stopping = false; // for the FIFO's watcher
    std::thread fifoWatcher;
};

} // namespace tunara::testing
