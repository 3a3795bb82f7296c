#include "LivePlayback.h"

#include <fcntl.h>
#include <unistd.h>

namespace tunara::testing {

namespace {

// Passes sessions through, keeping the failures they report.
class RecordingBackend final : public MediaBackend {
public:
    RecordingBackend(MediaBackend& backend, std::vector<PlaybackFailure>& failures)
        : backend_(backend)
        , failures_(failures)
    {
    }
    std::unique_ptr<PlaybackSession> start(const QUrl& url, const QString& stationName, double volume,
                                           PlaybackSession::EventHandler handler) override
    {
        return backend_.start(url, stationName, volume, [this, handler](const SessionEvent& event) {
            if (const auto* failure = std::get_if<PlaybackFailure>(&event))
                failures_.push_back(*failure);
            handler(event);
        });
    }

private:
    MediaBackend& backend_;
    std::vector<PlaybackFailure>& failures_;
};

} // namespace

GstElement* makeRealTimeSink()
{
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

GstMediaBackendOptions LivePlayback::defaultOptions()
{
    GstMediaBackendOptions options;
    options.makeAudioSink = makeRealTimeSink;
    options.sourceTimeoutSeconds = 3;
    options.startTimeoutSeconds = 8;
    return options;
}

LivePlayback::LivePlayback(GstMediaBackendOptions options)
    : backend(scheduler, std::move(options))
    , recordingBackend(std::make_unique<RecordingBackend>(backend, failures))
{
    controller = std::make_unique<PlaybackController>(PlaybackEnvironment{
        &scheduler, recordingBackend.get(), [this] { return std::make_unique<FakeNetworkMonitor>(&networkHandler); },
        &wakeNotifier});
    QObject::connect(controller.get(), &PlaybackController::statusChanged,
                     [this](PlayingStatus status) { statuses.push_back(status); });
    QObject::connect(controller.get(), &PlaybackController::volumeChanged,
                     [this](double volume) { volumes.push_back(volume); });
}

LivePlayback::~LivePlayback()
{
    controller->stop();
    controller.reset();
    // Let tasks already posted by the pipeline's threads run out.
    runFor(0.05);
}

bool LivePlayback::waitFor(PlayingStatus wanted, double seconds)
{
    return waitUntil([&] { return controller->status() == wanted; }, seconds);
}

bool LivePlayback::waitForTrack(double seconds)
{
    return waitUntil([&] { return controller->track().has_value(); }, seconds);
}

bool fifoHasReader(const QString& fifo)
{
    const int fd = ::open(fifo.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace tunara::testing
