// The stream in the desktop's sound mixer: a real PulseAudio server, with
// pactl acting as the mixer. And the volume without any sound server,
// measured on the audio that reaches the sink.

#include "LivePlayback.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

namespace tunara::testing {
namespace {

// A real PulseAudio server with two null sinks ("first", the default, and
// "second"), reached by this process through PULSE_SERVER while it lives.
class PulseServer {
public:
    PulseServer()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime_.path());
        environment.insert("HOME", runtime_.path());
        server_.setProcessEnvironment(environment);
        server_.setProcessChannelMode(QProcess::MergedChannels);
        server_.start("pulseaudio", {"--daemonize=no", "--exit-idle-time=-1", "-n", "--log-target=stderr", "-L",
                                     "module-null-sink sink_name=first", "-L", "module-null-sink sink_name=second",
                                     "-L", "module-native-protocol-unix"});
        server_.waitForStarted(5000);
        qputenv("PULSE_SERVER", ("unix:" + runtime_.path() + "/pulse/native").toUtf8());
        EXPECT_TRUE(waitUntil([this] { return pactl({"info"}).has_value(); }, 10) && pactl({"set-default-sink", "first"}))
            << "the sound server did not start";
    }
    ~PulseServer()
    {
        if (previousServer_.isNull())
            qunsetenv("PULSE_SERVER");
        else
            qputenv("PULSE_SERVER", previousServer_);
        server_.terminate();
        if (!server_.waitForFinished(3000))
            server_.kill();
        server_.waitForFinished(3000);
    }

    // pactl's output for these arguments; none when it failed.
    std::optional<QString> pactl(const QStringList& arguments) const
    {
        QProcess client;
        client.start("pactl", arguments);
        // The main loop keeps turning: the player answers the server meanwhile.
        waitUntil([&] { return client.state() == QProcess::NotRunning; }, 10);
        if (client.state() != QProcess::NotRunning || client.exitCode() != 0)
            return std::nullopt;
        return QString::fromUtf8(client.readAllStandardOutput());
    }
    QJsonArray list(const char* what) const
    {
        return QJsonDocument::fromJson(pactl({"--format=json", "list", what}).value_or(QString()).toUtf8()).array();
    }
    // The one stream the player has on the server; empty while there is none.
    QJsonObject stream() const
    {
        const QJsonArray inputs = list("sink-inputs");
        return inputs.size() == 1 ? inputs.first().toObject() : QJsonObject();
    }
    // The stream's volume in percent (of its first channel), as the mixer shows it.
    int volumePercent() const
    {
        const QJsonObject channels = stream().value("volume").toObject();
        return channels.isEmpty() ? -1 : channels.begin()->toObject().value("value_percent").toString().chopped(1).toInt();
    }
    QString sinkName() const
    {
        const int index = stream().value("sink").toInt(-1);
        for (const auto& sink : list("sinks")) {
            if (sink.toObject().value("index").toInt() == index)
                return sink.toObject().value("name").toString();
        }
        return {};
    }
    // A property of the stream, read from pactl's text output (its JSON
    // output cannot hold text beyond ASCII).
    QString property(const QString& name) const
    {
        static const QRegularExpression line(QStringLiteral("^\\s+([a-z0-9._-]+) = \"(.*)\"$"));
        for (const QString& text : pactl({"list", "sink-inputs"}).value_or(QString()).split('\n')) {
            const auto match = line.match(text);
            if (match.hasMatch() && match.captured(1) == name)
                return match.captured(2);
        }
        return {};
    }

private:
    QTemporaryDir runtime_;
    QProcess server_;
    QByteArray previousServer_ = qgetenv("PULSE_SERVER");
};

GstMediaBackendOptions desktopOutput()
{
    GstMediaBackendOptions options = LivePlayback::defaultOptions();
    options.makeAudioSink = nullptr; // the desktop's own output
    return options;
}

class MixerTest : public ::testing::Test {
protected:
    void playUntilPlaying(const QString& where)
    {
        live.play(where);
        ASSERT_TRUE(live.waitFor(PlayingStatus::playing));
    }

    PulseServer pulse; // first: the player's output connects to it
    LivePlayback live{desktopOutput()};
};

TEST_F(MixerTest, TheStreamIsNamedForTheMixerStartsAtTheApplicationsVolumeAndFollowsTheDefaultOutput)
{
    live.controller->setVolume(0.5);
    playUntilPlaying("/icy/mp3?charset=utf-8");
    EXPECT_EQ(pulse.volumePercent(), 50);
    EXPECT_EQ(pulse.property("application.name"), "Tunara");
    EXPECT_EQ(pulse.property("application.icon_name"), "tunara");
    EXPECT_EQ(pulse.property("application.id"), "tunara");
    EXPECT_EQ(pulse.property("media.role"), "music");

    // With a title the mixer shows the station and the title; the player
    // itself still reads the title as the station sent it.
    EXPECT_TRUE(waitUntil([&] { return pulse.property("media.name") == "Fixture Radio — Sigur Rós - Hoppípolla ♫"; }, 20))
        << pulse.pactl({"list", "sink-inputs"}).value_or(QString()).toStdString();
    ASSERT_TRUE(live.waitForTrack());
    EXPECT_EQ(live.controller->track()->artist, "Sigur Rós");
    EXPECT_EQ(live.controller->track()->title, "Hoppípolla ♫");

    EXPECT_EQ(pulse.sinkName(), "first");
    pulse.pactl({"set-default-sink", "second"});
    EXPECT_TRUE(waitUntil([&] { return pulse.sinkName() == "second"; }, 10));
    runFor(0.5);
    EXPECT_EQ(live.status(), PlayingStatus::playing);
}

TEST_F(MixerTest, VolumeGoesBothWaysAndCarriesOverToTheNextStation)
{
    playUntilPlaying("/icy/mp3?charset=utf-8");
    live.controller->setVolume(0.25);
    ASSERT_TRUE(waitUntil([&] { return pulse.volumePercent() == 25; }, 10));

    // The user drags the stream's slider in the mixer.
    ASSERT_TRUE(pulse.pactl({"set-sink-input-volume", QString::number(pulse.stream().value("index").toInt()), "60%"}));
    ASSERT_TRUE(waitUntil([&] { return live.volumes.size() == 2; }, 10));
    EXPECT_NEAR(live.volumes.back(), 0.6, 0.01);
    EXPECT_NEAR(live.controller->volume(), 0.6, 0.01);

    playUntilPlaying("/icy/mp3?charset=windows-1251");
    ASSERT_TRUE(waitUntil([&] { return !pulse.stream().isEmpty(); }, 10));
    EXPECT_EQ(pulse.volumePercent(), 60);
}

// Without a sound server the output's own volume does the work: the loudest
// sample reaching the sink follows the cubic curve.
std::atomic<int> peak{0};

void measure(GstElement*, GstBuffer* buffer, GstPad*, gpointer)
{
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return;
    const auto* samples = reinterpret_cast<const gint16*>(map.data);
    int loudest = 0;
    for (gsize i = 0; i < map.size / sizeof(gint16); ++i)
        loudest = std::max(loudest, std::abs(int(samples[i])));
    gst_buffer_unmap(buffer, &map);
    peak = std::max(peak.load(), loudest);
}

GstElement* meteredSink()
{
    GstElement* bin = gst_parse_bin_from_description(
        "capsfilter caps=audio/x-raw,format=S16LE ! fakesink name=meter sync=true signal-handoffs=true", TRUE, nullptr);
    GstElement* sink = gst_bin_get_by_name(GST_BIN(bin), "meter");
    g_signal_connect(sink, "handoff", G_CALLBACK(measure), nullptr);
    gst_object_unref(sink);
    return bin;
}

// The loudest sample of the next second.
int peakOfASecond()
{
    peak = 0;
    runFor(1);
    return peak;
}

TEST(SoftwareVolumeTest, TheSinkHearsTheVolume)
{
    GstMediaBackendOptions options = LivePlayback::defaultOptions();
    options.makeAudioSink = meteredSink;
    LivePlayback live(options);
    live.play("/icy/mp3");
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));
    runFor(1);
    const int full = peakOfASecond();
    ASSERT_GT(full, 1000);

    live.controller->setVolume(0.5); // an eighth of the amplitude on the cubic scale
    runFor(2); // what was buffered before the change plays out
    EXPECT_NEAR(double(peakOfASecond()) / full, 0.125, 0.02);
}

} // namespace
} // namespace tunara::testing
