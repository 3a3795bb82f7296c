// The stream in the desktop's sound mixer: a real PulseAudio server, with
// pactl acting as the mixer. And the volume without any sound server,
// measured on the audio that reaches the sink.

#include "LivePlayback.h"
#include "PulseServer.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

namespace tunara::testing {
namespace {

GstMediaBackendOptions desktopOutput()
{
    GstMediaBackendOptions options = LivePlayback::defaultOptions();
    options.makeAudioSink = nullptr; // the desktop's own output
    return options;
}

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pulse.isRunning());
        ASSERT_TRUE(live.server.isRunning());
    }

    void playUntilPlaying(const QString& pathAndQuery)
    {
        live.play(live.server.http(pathAndQuery));
        ASSERT_TRUE(live.waitFor(PlayingStatus::playing));
    }
    // The one stream the player has on the server; empty while there is none.
    QJsonObject stream() const
    {
        const QJsonArray inputs = pulse.sinkInputs();
        return inputs.size() == 1 ? inputs.first().toObject() : QJsonObject();
    }
    QString property(const char* name) const { return pulse.streamProperties().value(QString::fromLatin1(name)); }

    PulseServer pulse; // first: the player's output connects to it
    LivePlayback live{desktopOutput()};
};

TEST_F(MixerTest, TheStreamIsNamedForTheMixerAndStartsAtTheApplicationsVolume)
{
    live.controller->setVolume(0.5);
    playUntilPlaying(QStringLiteral("/icy/mp3?charset=utf-8"));
    EXPECT_EQ(volumePercent(stream()), 50);
    EXPECT_EQ(property("application.name"), "Tunara");
    EXPECT_EQ(property("application.icon_name"), "tunara");
    EXPECT_EQ(property("application.id"), "tunara");
    EXPECT_EQ(property("media.role"), "music");

    // With a title the mixer shows the station and the title; the player
    // itself still reads the title as the station sent it.
    ASSERT_TRUE(waitUntil([&] { return property("media.name") == QStringLiteral("Fixture Radio — Sigur Rós - Hoppípolla ♫"); },
                          20))
        << QJsonDocument(pulse.sinkInputs()).toJson().toStdString();
    ASSERT_TRUE(live.waitForTrack());
    EXPECT_EQ(live.controller->track()->artist, QString::fromUtf8("Sigur Rós"));
    EXPECT_EQ(live.controller->track()->title, QString::fromUtf8("Hoppípolla ♫"));
}

TEST_F(MixerTest, VolumeGoesBothWaysAndCarriesOverToTheNextStation)
{
    playUntilPlaying(QStringLiteral("/icy/mp3?charset=utf-8"));
    live.controller->setVolume(0.25);
    ASSERT_TRUE(waitUntil([&] { return volumePercent(stream()) == 25; }, 10));

    // The user drags the stream's slider in the mixer.
    const QString index = QString::number(stream().value("index").toInt());
    ASSERT_TRUE(pulse.pactl({"set-sink-input-volume", index, "60%"}));
    ASSERT_TRUE(waitUntil([&] { return live.volumes.size() == 2; }, 10));
    EXPECT_NEAR(live.volumes.back(), 0.6, 0.01);
    EXPECT_NEAR(live.controller->volume(), 0.6, 0.01);

    playUntilPlaying(QStringLiteral("/icy/mp3?charset=windows-1251"));
    ASSERT_TRUE(waitUntil([&] { return !stream().isEmpty(); }, 10));
    EXPECT_EQ(volumePercent(stream()), 60);
}

TEST_F(MixerTest, PlaybackFollowsTheDefaultOutput)
{
    playUntilPlaying(QStringLiteral("/icy/mp3?charset=utf-8"));
    EXPECT_EQ(pulse.sinkName(stream().value("sink").toInt()), "first");
    pulse.pactl({"set-default-sink", "second"});
    EXPECT_TRUE(waitUntil([&] { return pulse.sinkName(stream().value("sink").toInt()) == "second"; }, 10));
    runFor(0.5);
    EXPECT_EQ(live.controller->status(), PlayingStatus::playing);
}

// Without a sound server the output's own volume does the work: the loudest
// sample reaching the sink follows the cubic curve.
struct PeakMeter {
    std::atomic<int> peak{0};

    static void measure(GstElement*, GstBuffer* buffer, GstPad*, gpointer data)
    {
        GstMapInfo map;
        if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
            return;
        const auto* samples = reinterpret_cast<const gint16*>(map.data);
        int loudest = 0;
        for (gsize i = 0; i < map.size / sizeof(gint16); ++i)
            loudest = std::max(loudest, std::abs(int(samples[i])));
        gst_buffer_unmap(buffer, &map);
        auto& meter = *static_cast<PeakMeter*>(data);
        meter.peak = std::max(meter.peak.load(), loudest);
    }
};

PeakMeter& meter()
{
    static PeakMeter instance;
    return instance;
}

GstElement* meteredSink()
{
    GstElement* bin = gst_parse_bin_from_description(
        "capsfilter caps=audio/x-raw,format=S16LE ! fakesink name=meter sync=true signal-handoffs=true", TRUE, nullptr);
    GstElement* sink = gst_bin_get_by_name(GST_BIN(bin), "meter");
    g_signal_connect(sink, "handoff", G_CALLBACK(PeakMeter::measure), &meter());
    gst_object_unref(sink);
    return bin;
}

TEST(SoftwareVolumeTest, TheSinkHearsTheVolume)
{
    GstMediaBackendOptions options = LivePlayback::defaultOptions();
    options.makeAudioSink = meteredSink;
    LivePlayback live(options);
    ASSERT_TRUE(live.server.isRunning());
    live.play(live.server.http(QStringLiteral("/icy/mp3")));
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));
    runFor(1);
    meter().peak = 0;
    runFor(1);
    const int full = meter().peak;
    ASSERT_GT(full, 1000);

    live.controller->setVolume(0.5); // an eighth of the amplitude on the cubic scale
    runFor(2); // what was buffered before the change plays out
    meter().peak = 0;
    runFor(1);
    EXPECT_NEAR(double(meter().peak) / full, 0.125, 0.02);
}

} // namespace
} // namespace tunara::testing
