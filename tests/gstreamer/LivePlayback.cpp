#include "LivePlayback.h"

#include <fcntl.h>
#include <unistd.h>


namespace tunara::testing {

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
{
    PlaybackEnvironment environment;
    environment.scheduler = &scheduler;
    environment.mediaBackend = &backend;
    environment.nowPlaying = [this]() -> NowPlayingPublisher& { return nowPlaying; };
    environment.makePathMonitor = [this] { return std::make_unique<FakeNetworkPathMonitor>(&networkHandler); };
    environment.wakeNotifier = &wakeNotifier;
    controller = std::make_unique<PlaybackController>(environment);
    controller->setDelegate(&delegate);
}

LivePlayback::~LivePlayback()
{
    controller->stop();
    controller.reset();
    // Let tasks already posted by the pipeline's threads run out.
    runFor(0.05);
}

std::shared_ptr<const MediaError> LivePlayback::itemError() const
{
    const auto& player = controller->player();
    if (!player || !player->currentItem())
        return nullptr;
    return player->currentItem()->error();
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
