#include "LivePlayback.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
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
    : fifo(directory.filePath(QStringLiteral("station.aac")))
    , server(QStringLiteral("stream_server.py"), {QStringLiteral("--workdir"), QStringLiteral(TUNARA_FIXTURE_CACHE)})
    , backend(scheduler, std::move(options))
    , recordingBackend(std::make_unique<RecordingBackend>(backend, failures))
{
    EXPECT_FALSE(server.announcement().isEmpty()) << "the stream server did not start";
    EXPECT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    // Opening the FIFO for writing returns once anything opens it for
    // reading. From a thread of its own, so that an open blocking a pipeline
    // (or the main thread) is let through.
    fifoWatcher = std::thread([this, path = fifo.toLocal8Bit()] {
        while (!stopping) {
            const int fd = ::open(path.constData(), O_WRONLY);
            if (fd < 0)
                return;
            fifoOpened = fifoOpened || !stopping;
            ::close(fd);
        }
    });
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
    stopping = true;
    const int reader = ::open(fifo.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK); // lets the watcher go
    fifoWatcher.join();
    ::close(reader);
}

QString LivePlayback::resolve(const QString& where) const
{
    const auto origin = [this](const char* scheme, const char* port) {
        return QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(server.announcement().value(port).toInt());
    };
    return QString(where.startsWith('/') ? "{http}" + where : where)
        .replace("{http}", origin("http", "http"))
        .replace("{https}", origin("https", "https"))
        .replace("{refused}", origin("http", "refused"))
        .replace("{fifo}", fifo);
}

QString LivePlayback::playlist(const QString& type, const QString& body) const
{
    return QStringLiteral("/playlist?type=%1&body=%2")
        .arg(QString::fromLatin1(QUrl::toPercentEncoding(type)),
             QString::fromLatin1(QUrl::toPercentEncoding(resolve(body))));
}

bool LivePlayback::waitFor(PlayingStatus wanted, double seconds)
{
    return waitUntil([&] { return controller->status() == wanted; }, seconds);
}

bool LivePlayback::waitForTrack(double seconds)
{
    return waitUntil([&] { return controller->track().has_value(); }, seconds);
}

} // namespace tunara::testing
