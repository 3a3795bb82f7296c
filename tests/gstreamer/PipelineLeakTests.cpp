// Station changes, reconnections and stops release everything a pipeline
// held: its GStreamer objects (counted by the leaks tracer), its threads and
// its file descriptors. And the libraries radio never needs stay unloaded.

#include "LivePlayback.h"

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

    int count(const char* type)
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
        return counts_[type];
    }

private:
    static void collect(GstDebugCategory* category, GstDebugLevel, const gchar*, const gchar*, gint, GObject*,
                        GstDebugMessage* message, gpointer data)
    {
        static const std::string prefix = "object-alive, type-name=(string)";
        const std::string text = gst_debug_message_get(message);
        if (std::string(gst_debug_category_get_name(category)) != "GST_TRACER" || text.rfind(prefix, 0) != 0)
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
    return int(QDir(directory).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

TEST(PipelineLeakTest, ChangesReconnectionsAndStopsReleaseEveryPipeline)
{
    LiveObjects objects;
    LivePlayback live;
    const auto playUntilPlaying = [&](const char* where) {
        live.play(where);
        return live.waitFor(PlayingStatus::playing);
    };

    // What GStreamer starts once per process (its clock, a TLS backend)
    // stays; it is there before the count starts.
    ASSERT_TRUE(playUntilPlaying("/icy/mp3"));
    live.controller->stop();
    runFor(1); // a finished streaming thread waits half a second for more work
    const int threads = entriesIn("/proc/self/task");
    const int files = entriesIn("/proc/self/fd");

    for (int round = 0; round < 2; ++round) {
        for (const char* station : {"/icy/mp3?charset=utf-8", "/hls/master.m3u8", "/icy/mp3?charset=windows-1251"})
            ASSERT_TRUE(playUntilPlaying(station)) << station;
    }
    // A station that fails and is started again by its retry.
    live.play("{refused}/icy/mp3");
    live.controller->play(QUrl(live.resolve("/icy/mp3")), "Fixture Radio", false);
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));
    EXPECT_EQ(objects.count("GstPlayBin"), 1);
    EXPECT_EQ(objects.count("GstSoupHTTPSrc"), 1);

    live.controller->stop();
    runFor(1);
    for (const char* type : {"GstPlayBin", "GstBin", "GstBus", "GstSoupHTTPSrc", "GstQueue", "GstMessage", "GstPad",
                             "GstTagList", "GstTask"})
        EXPECT_EQ(objects.count(type), 0) << type;
    EXPECT_NEAR(entriesIn("/proc/self/task"), threads, 2);
    EXPECT_NEAR(entriesIn("/proc/self/fd"), files, 2);
}

// Radio plays on the small decoders: FFmpeg, with the many libraries it
// links, is never loaded for an MP3 stream (also one joined mid-frame, which
// is run past every typefinder) or an HLS stream of AAC. Bytes that look like
// video end as a stream that cannot be decoded, and no video element,
// DirectFB's sink above all, is ever made for them. HLS is read by the
// demuxer whose segments come through the HTTP source, never by the one that
// fetches them itself.
struct Stream {
    const char* name;
    const char* where;
    PlayingStatus ends;
};

void PrintTo(const Stream& row, std::ostream* os)
{
    *os << row.name;
}

class FootprintTest : public ::testing::TestWithParam<Stream> {};

TEST_P(FootprintTest, LoadsNeitherFFmpegNorVideoElements)
{
    LivePlayback live;
    live.play(GetParam().where);
    ASSERT_TRUE(live.waitFor(GetParam().ends));
    QFile maps("/proc/self/maps");
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray loaded = maps.readAll();
    for (const char* library : {"libavcodec", "libgstdirectfb", "libgstkms", "libgstvideoparsersbad", "libgstadaptivedemux2"})
        EXPECT_FALSE(loaded.contains(library)) << library;
}

INSTANTIATE_TEST_SUITE_P(Streams, FootprintTest,
                         ::testing::Values(Stream{"Mp3", "/icy/mp3", PlayingStatus::playing},
                                           Stream{"Mp3JoinedMidFrame", "/icy/mp3?offset=417", PlayingStatus::playing},
                                           Stream{"HlsOfAac", "/hls/master.m3u8", PlayingStatus::playing},
                                           Stream{"Video", "/video", PlayingStatus::error}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace tunara::testing
