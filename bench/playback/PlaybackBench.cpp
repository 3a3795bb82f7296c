// Plays one station for a given time through the real controller and the
// GStreamer backend, into a sink that consumes in real time, and prints
// what the benchmark runner compares with other players:
//   first-audio <seconds from play to the first buffer rendered>
//   dropouts <times rendering stopped for more than 0.25 s after it began>
// CPU time and peak memory are taken by the runner from the process.

#include "GstMediaBackend.h"
#include "playback/PlaybackController.h"
#include "playback/QtScheduler.h"

#include <QCoreApplication>
#include <QMetaEnum>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

// Follows the sink's rendering from its streaming thread.
struct RenderLog {
    std::mutex mutex;
    Clock::time_point playStarted;
    std::optional<Clock::time_point> last;
    int dropouts = 0;

    void rendered()
    {
        const auto now = Clock::now();
        const std::lock_guard lock(mutex);
        if (!last) {
            const double seconds = std::chrono::duration<double>(now - playStarted).count();
            std::printf("first-audio %.3f\n", seconds);
            std::fflush(stdout);
        } else if (now - *last > std::chrono::milliseconds(250)) {
            ++dropouts;
        }
        last = now;
    }
};

RenderLog renderLog;

void onHandoff(GstElement*, GstBuffer*, GstPad*, gpointer)
{
    renderLog.rendered();
}

GstElement* makeMeasuringSink()
{
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink, "sync", TRUE, "signal-handoffs", TRUE, nullptr);
    g_signal_connect(sink, "handoff", G_CALLBACK(onHandoff), nullptr);
    return sink;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL SECONDS\n", argv[0]);
        return 2;
    }
    tunara::initializeGStreamer();

    tunara::GstMediaBackendOptions options;
    options.makeAudioSink = makeMeasuringSink;
    // No network or wake events: the network is steady, the machine awake.
    tunara::QtScheduler scheduler;
    tunara::GstMediaBackend backend(scheduler, options);
    tunara::PlaybackController controller({&scheduler, &backend, nullptr, nullptr});

    renderLog.playStarted = Clock::now();
    controller.play(QUrl(QString::fromUtf8(argv[1])), QStringLiteral("Benchmark"), true);
    QTimer::singleShot(int(std::atof(argv[2]) * 1000), &application, &QCoreApplication::quit);
    application.exec();

    const tunara::PlayingStatus finalStatus = controller.status();
    controller.stop();
    {
        const std::lock_guard lock(renderLog.mutex);
        std::printf("dropouts %d\nstatus %s\n", renderLog.dropouts,
                    QMetaEnum::fromType<tunara::PlayingStatus>().valueToKey(int(finalStatus)));
    }
    return 0;
}
