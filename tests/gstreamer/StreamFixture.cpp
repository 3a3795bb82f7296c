#include "StreamFixture.h"

namespace tunara::testing {

StreamFixture::StreamFixture()
    : process_(QStringLiteral("stream_server.py"), {QStringLiteral("--workdir"), QStringLiteral(TUNARA_FIXTURE_CACHE)})
    , httpPort_(process_.announcement().value(QStringLiteral("http")).toInt())
    , httpsPort_(process_.announcement().value(QStringLiteral("https")).toInt())
    , refusedPort_(process_.announcement().value(QStringLiteral("refused")).toInt())
{
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
