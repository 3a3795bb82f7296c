#pragma once

// A real PulseAudio server for one test, with two null sinks ("first", the
// default, and "second"), reached by this process through PULSE_SERVER
// while the object lives; and pactl to look at it and act on it as the
// desktop's mixer would.

#include <QJsonArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace tunara::testing {

class PulseServer {
public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    bool isRunning() const { return running_; }
    // pactl's output for these arguments; none when it failed.
    std::optional<QString> pactl(const QStringList& arguments) const;
    // The playback streams, as `pactl --format=json list sink-inputs` has them.
    QJsonArray sinkInputs() const;
    // The properties of the first playback stream, read from pactl's text
    // output (its JSON output cannot hold text beyond ASCII).
    QMap<QString, QString> streamProperties() const;
    // A sink's name by its index.
    QString sinkName(int index) const;

private:
    QTemporaryDir runtime_;
    QProcess server_;
    QByteArray previousServer_;
    bool running_ = false;
};

// A sink input's volume in percent (of its first channel), as the mixer shows it.
int volumePercent(const QJsonObject& sinkInput);

} // namespace tunara::testing
