#include "PulseServer.h"

#include "LivePlayback.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace tunara::testing {

PulseServer::PulseServer()
    : previousServer_(qgetenv("PULSE_SERVER"))
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    environment.insert(QStringLiteral("HOME"), runtime_.path());
    server_.setProcessEnvironment(environment);
    server_.setProcessChannelMode(QProcess::MergedChannels);
    server_.start(QStringLiteral("pulseaudio"),
                  {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"), QStringLiteral("-n"),
                   QStringLiteral("--log-target=stderr"), QStringLiteral("-L"),
                   QStringLiteral("module-null-sink sink_name=first"), QStringLiteral("-L"),
                   QStringLiteral("module-null-sink sink_name=second"), QStringLiteral("-L"),
                   QStringLiteral("module-native-protocol-unix")});
    if (!server_.waitForStarted(5000))
        return;
    qputenv("PULSE_SERVER", ("unix:" + runtime_.path() + "/pulse/native").toUtf8());
    running_ = waitUntil([this] { return pactl({QStringLiteral("info")}).has_value(); }, 10);
    if (running_)
        pactl({QStringLiteral("set-default-sink"), QStringLiteral("first")});
}

PulseServer::~PulseServer()
{
    if (previousServer_.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", previousServer_);
    server_.terminate();
    if (!server_.waitForFinished(3000)) {
        server_.kill();
        server_.waitForFinished(3000);
    }
}

std::optional<QString> PulseServer::pactl(const QStringList& arguments) const
{
    QProcess client;
    client.start(QStringLiteral("pactl"), arguments);
    // The main loop keeps turning: the player answers the server meanwhile.
    waitUntil([&] { return client.state() == QProcess::NotRunning; }, 10);
    if (client.state() != QProcess::NotRunning || client.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(client.readAllStandardOutput());
}

QJsonArray PulseServer::sinkInputs() const
{
    return QJsonDocument::fromJson(
               pactl({QStringLiteral("--format=json"), QStringLiteral("list"), QStringLiteral("sink-inputs")})
                                      .value_or(QString())
                                      .toUtf8())
        .array();
}

QMap<QString, QString> PulseServer::streamProperties() const
{
    QMap<QString, QString> properties;
    static const QRegularExpression line(QStringLiteral("^\\s+([a-z0-9._-]+) = \"(.*)\"$"));
    for (const QString& text : pactl({QStringLiteral("list"), QStringLiteral("sink-inputs")}).value_or(QString()).split('\n')) {
        const auto match = line.match(text);
        if (match.hasMatch() && !properties.contains(match.captured(1)))
            properties.insert(match.captured(1), match.captured(2));
    }
    return properties;
}

QString PulseServer::sinkName(int index) const
{
    const auto sinks = QJsonDocument::fromJson(
                           pactl({QStringLiteral("--format=json"), QStringLiteral("list"), QStringLiteral("sinks")})
                               .value_or(QString())
                               .toUtf8())
                           .array();
    for (const auto& sink : sinks) {
        if (sink.toObject().value(QStringLiteral("index")).toInt() == index)
            return sink.toObject().value(QStringLiteral("name")).toString();
    }
    return {};
}

int volumePercent(const QJsonObject& sinkInput)
{
    const QJsonObject channels = sinkInput.value(QStringLiteral("volume")).toObject();
    if (channels.isEmpty())
        return -1;
    return channels.begin()->toObject().value(QStringLiteral("value_percent")).toString().chopped(1).toInt();
}

} // namespace tunara::testing
