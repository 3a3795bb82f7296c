#include "DirectoryFixture.h"

#include "support/Files.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>

namespace tunara::testing {

DirectoryFixture::DirectoryFixture(const QUrl& streamBase, double slowSeconds, const QString& favicons)
    : process_("directory_server.py",
               QStringList{"--log", directory_.filePath("requests.jsonl"), "--slow", QString::number(slowSeconds)}
                   + (streamBase.isEmpty() ? QStringList() : QStringList{"--stream-base", streamBase.toString()})
                   + (favicons.isEmpty() ? QStringList() : QStringList{"--favicons", favicons}))
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
    for (const QByteArray& line : readFile(directory_.filePath("requests.jsonl")).split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        if (object.isEmpty())
            continue;
        Request request{object["server"].toString(), object["path"].toString(), {}, object["user_agent"].toString()};
        const QVariantMap query = object["query"].toObject().toVariantMap();
        for (auto it = query.begin(); it != query.end(); ++it)
            request.query.insert(it.key(), it.value().toString());
        result.append(request);
    }
    return result;
}

} // namespace tunara::testing
