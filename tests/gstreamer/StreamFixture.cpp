#include "StreamFixture.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace tunara::testing {

StreamFixture::StreamFixture()
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(TUNARA_PYTHON),
                   {QStringLiteral(TUNARA_FIXTURES_DIR "/stream_server.py"), QStringLiteral("--workdir"),
                    QStringLiteral(TUNARA_FIXTURE_CACHE), QStringLiteral("--lifetime"),
                    QStringLiteral("300")});
    if (!process_.waitForStarted(10000))
        return;
    while (!process_.canReadLine() && process_.waitForReadyRead(20000)) {
    }
    const auto ports = QJsonDocument::fromJson(process_.readLine()).object();
    httpPort_ = ports.value(QStringLiteral("http")).toInt();
    httpsPort_ = ports.value(QStringLiteral("https")).toInt();
    refusedPort_ = ports.value(QStringLiteral("refused")).toInt();
}

StreamFixture::~StreamFixture()
{
    process_.closeWriteChannel();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

QUrl StreamFixture::http(const QString& pathAndQuery) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(httpPort_).arg(pathAndQuery));
}

QUrl StreamFixture::https(const QString& pathAndQuery) const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(httpsPort_).arg(pathAndQuery));
}

QUrl StreamFixture::refused() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/icy/mp3").arg(refusedPort_));
}

} // namespace tunara::testing
