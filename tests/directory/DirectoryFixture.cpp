#include "DirectoryFixture.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>

namespace tunara::testing {

namespace {

QStringList serverArguments(const QString& log, const QUrl& streamBase, double slowSeconds)
{
    QStringList arguments = {"--log", log, "--slow", QString::number(slowSeconds)};
    if (!streamBase.isEmpty())
        arguments << "--stream-base" << streamBase.toString();
    return arguments;
}

} // namespace

DirectoryFixture::DirectoryFixture(const QUrl& streamBase, double slowSeconds)
    : process_("directory_server.py", serverArguments(directory_.filePath("requests.jsonl"), streamBase, slowSeconds))
    , port_(process_.announcement().value("port").toInt())
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
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort()));
}

QList<DirectoryFixture::Request> DirectoryFixture::requests() const
{
    QList<Request> result;
    QFile log(directory_.filePath("requests.jsonl"));
    if (!log.open(QIODevice::ReadOnly))
        return result;
    for (const QByteArray& line : log.readAll().split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        if (object.isEmpty())
            continue;
        Request request{object["server"].toString(), object["path"].toString(), {}, object["user_agent"].toString()};
        const QJsonObject query = object["query"].toObject();
        for (auto it = query.begin(); it != query.end(); ++it)
            request.query.insert(it.key(), it.value().toString());
        result.append(request);
    }
    return result;
}

} // namespace tunara::testing
