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

QStringList serverArguments(const QString& log, const QUrl& streamBase, double slowSeconds)
{
    QStringList arguments = {QStringLiteral("--log"), log, QStringLiteral("--slow"), QString::number(slowSeconds)};
    if (!streamBase.isEmpty())
        arguments << QStringLiteral("--stream-base") << streamBase.toString();
    return arguments;
}

} // namespace

DirectoryFixture::DirectoryFixture(const QUrl& streamBase, double slowSeconds)
    : process_(QStringLiteral("directory_server.py"), serverArguments(logPath(directory_), streamBase, slowSeconds))
    , port_(process_.announcement().value(QStringLiteral("port")).toInt())
{
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
