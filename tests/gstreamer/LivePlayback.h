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

#include <functional>
#include <memory>
#include <vector>

namespace tunara::testing {

// Whether some process holds the FIFO open for reading.
bool fifoHasReader(const QString& fifo);

// A sink that plays nothing but consumes in real time.
GstElement* makeRealTimeSink();

class RecordingDelegate final : public PlaybackControllerDelegate {
public:
    void didChangeStatus(PlayingStatus status) override { statuses.push_back(status); }
    void didChangeMetadata(const ParsedMetadata& metadata) override { metadataChanges.push_back(metadata); }
    void didChangeVolume(double volume) override { volumes.push_back(volume); }

    std::vector<PlayingStatus> statuses;
    std::vector<ParsedMetadata> metadataChanges;
    std::vector<double> volumes;
};

struct LivePlayback {
    explicit LivePlayback(GstMediaBackendOptions options = defaultOptions());
    ~LivePlayback();

    static GstMediaBackendOptions defaultOptions();

    void play(const QUrl& url) { controller->play(url, QStringLiteral("Fixture Radio"), true); }
    // The current item's error, if it failed.
    std::shared_ptr<const MediaError> itemError() const;

    StreamFixture server;
    QtScheduler scheduler;
    GstMediaBackend backend;
    RecordingNowPlaying nowPlaying;
    NetworkPathMonitor::UpdateHandler networkHandler;
    FakeWakeNotifier wakeNotifier;
    RecordingDelegate delegate;
    std::unique_ptr<PlaybackController> controller;
};

} // namespace tunara::testing
