// Station changes, reconnections and stops release everything a pipeline
// held: its GStreamer objects (counted by the leaks tracer), its threads and
// its file descriptors.

#include "LivePlayback.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <map>
#include <mutex>
#include <string>

namespace tunara::testing {
namespace {

// The GStreamer objects alive now, by type, as the leaks tracer lists them.
class LiveObjects {
public:
    LiveObjects()
    {
        gst_debug_set_threshold_for_name("GST_TRACER", GST_LEVEL_TRACE);
        gst_debug_remove_log_function(gst_debug_log_default);
        gst_debug_add_log_function(collect, this, nullptr);
    }
    ~LiveObjects() { gst_debug_remove_log_function(collect); }

    std::map<std::string, int> count()
    {
        {
            const std::lock_guard lock(mutex_);
            counts_.clear();
        }
        GList* tracers = gst_tracing_get_active_tracers();
        for (GList* tracer = tracers; tracer; tracer = tracer->next)
            g_signal_emit_by_name(tracer->data, "log-live-objects");
        g_list_free_full(tracers, gst_object_unref);
        const std::lock_guard lock(mutex_);
        return counts_;
    }

private:
    static void collect(GstDebugCategory* category, GstDebugLevel, const gchar*, const gchar*, gint, GObject*,
                        GstDebugMessage* message, gpointer data)
    {
        if (std::string(gst_debug_category_get_name(category)) != "GST_TRACER")
            return;
        const std::string text = gst_debug_message_get(message);
        static const std::string prefix = "object-alive, type-name=(string)";
        if (text.rfind(prefix, 0) != 0)
            return;
        auto* self = static_cast<LiveObjects*>(data);
        const std::lock_guard lock(self->mutex_);
        self->counts_[text.substr(prefix.size(), text.find(',', prefix.size()) - prefix.size())]++;
    }

    std::mutex mutex_;
    std::map<std::string, int> counts_;
};

int entriesIn(const char* directory)
{
    return int(QDir(QString::fromLatin1(directory)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
                   .size());
}

struct Resources {
    int threads = entriesIn("/proc/self/task");
    int files = entriesIn("/proc/self/fd");
};

TEST(PipelineLeakTest, ChangesReconnectionsAndStopsReleaseEveryPipeline)
{
    LiveObjects live;
    LivePlayback playback;
    ASSERT_TRUE(playback.server.isRunning());
    const QList<QUrl> stations = {
        playback.server.http(QStringLiteral("/icy/mp3?charset=utf-8")),
        playback.server.http(QStringLiteral("/hls/master.m3u8")),
        playback.server.http(QStringLiteral("/icy/mp3?charset=windows-1251")),
    };
    const auto playUntilPlaying = [&](const QUrl& url) {
        playback.play(url);
        return playback.waitFor(PlayingStatus::playing);
    };

    // What GStreamer starts once per process (its clock, a TLS backend)
    // stays; it is there before the count starts.
    ASSERT_TRUE(playUntilPlaying(stations[0]));
    playback.controller->stop();
    runFor(0.3);
    const Resources before;

    for (int round = 0; round < 2; ++round) {
        for (const QUrl& station : stations)
            ASSERT_TRUE(playUntilPlaying(station)) << station.toString().toStdString();
    }
    // A station that fails and is started again by its retry.
    playback.play(playback.server.refused());
    playback.controller->play(stations[0], QStringLiteral("Fixture Radio"), false);
    ASSERT_TRUE(playback.waitFor(PlayingStatus::playing));

    const auto playing = live.count();
    EXPECT_EQ(playing.count("GstPlayBin") ? playing.at("GstPlayBin") : 0, 1);
    EXPECT_EQ(playing.count("GstSoupHTTPSrc") ? playing.at("GstSoupHTTPSrc") : 0, 1);

    playback.controller->stop();
    runFor(0.3);
    const auto stopped = live.count();
    for (const char* type : {"GstPlayBin", "GstBin", "GstBus", "GstSoupHTTPSrc", "GstQueue", "GstMessage", "GstPad",
                             "GstTagList", "GstTask"})
        EXPECT_EQ(stopped.count(type) ? stopped.at(type) : 0, 0) << type;

    const Resources after;
    EXPECT_NEAR(after.threads, before.threads, 2);
    EXPECT_NEAR(after.files, before.files, 2);
}

} // namespace
} // namespace tunara::testing

namespace tunara::testing {
namespace {

bool mapsLibrary(const QString& name)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && QString::fromLatin1(maps.readAll()).contains(name);
}

// Radio plays on the small decoders: FFmpeg, with the many libraries it
// links, is never loaded for an MP3 stream (also one joined mid-frame, which
// is run past every typefinder) or an HLS stream of AAC.
class FootprintTest : public ::testing::TestWithParam<const char*> {};

TEST_P(FootprintTest, PlaysWithoutLoadingFFmpeg)
{
    LivePlayback live;
    ASSERT_TRUE(live.server.isRunning());
    live.play(live.server.http(QString::fromLatin1(GetParam())));
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));
    EXPECT_FALSE(mapsLibrary(QStringLiteral("libavcodec")));
}

INSTANTIATE_TEST_SUITE_P(Streams, FootprintTest,
                         ::testing::Values("/icy/mp3", "/icy/mp3?offset=417", "/hls/master.m3u8"));

// Bytes that look like video end as a stream that cannot be decoded, and
// no video element, DirectFB's sink above all, is ever made for them.
TEST(PictureStreamTest, FailsWithoutMakingVideoElements)
{
    LivePlayback live;
    ASSERT_TRUE(live.server.isRunning());
    live.play(live.server.http(QStringLiteral("/video")));
    ASSERT_TRUE(live.waitFor(PlayingStatus::error));
    for (const char* library : {"libgstdirectfb", "libgstkms", "libgstvideoparsersbad", "libavcodec"})
        EXPECT_FALSE(mapsLibrary(QString::fromLatin1(library))) << library;
}

} // namespace
} // namespace tunara::testing
