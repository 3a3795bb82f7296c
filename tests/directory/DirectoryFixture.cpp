#include "DirectoryFixture.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>

namespace tunara::testing {

namespace {

QString logPath(const QTemporaryDir& directory)
{
    return QDir(directory.path()).filePath(QStringLiteral("requests.jsonl"));
}

} // namespace

DirectoryFixture::DirectoryFixture(const QUrl& streamBase, double slowSeconds)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments = {QStringLiteral(TUNARA_FIXTURES_DIR "/directory_server.py"),
                             QStringLiteral("--log"),
                             logPath(directory_),
                             QStringLiteral("--slow"),
                             QString::number(slowSeconds),
                             QStringLiteral("--lifetime"),
                             QStringLiteral("300")};
    if (!streamBase.isEmpty())
        arguments << QStringLiteral("--stream-base") << streamBase.toString();
    process_.start(QStringLiteral(TUNARA_PYTHON), arguments);
    if (!process_.waitForStarted(10000))
        return;
    while (!process_.canReadLine() && process_.waitForReadyRead(20000)) {
    }
    port_ = QJsonDocument::fromJson(process_.readLine()).object().value(QStringLiteral("port")).toInt();
}

DirectoryFixture::~DirectoryFixture()
{
    process_.closeWriteChannel();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

QUrl DirectoryFixture::url(const QString& server) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(server));
}

QUrl DirectoryFixture::refused()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
}

QList<DirectoryFixture::Request> DirectoryFixture::requests() const
{
    QList<Request> result;
    QFile log(logPath(directory_));
    if (!log.open(QIODevice::ReadOnly))
        return result;
    for (const QByteArray& line : log.readAll().split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        if (object.isEmpty())
            continue;
        Request request{object.value(QStringLiteral("server")).toString(),
                        object.value(QStringLiteral("path")).toString(),
                        {},
                        object.value(QStringLiteral("user_agent")).toString()};
        const QJsonObject query = object.value(QStringLiteral("query")).toObject();
        for (auto it = query.begin(); it != query.end(); ++it)
            request.query.insert(it.key(), it.value().toString());
        result.append(request);
    }
    return result;
}

} // namespace tunara::testing
