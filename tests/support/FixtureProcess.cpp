#include "FixtureProcess.h"

#include <QJsonDocument>

namespace tunara::testing {

FixtureProcess::FixtureProcess(const QString& script, const QStringList& arguments)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(TUNARA_PYTHON),
                   QStringList{QStringLiteral(TUNARA_FIXTURES_DIR "/") + script} + arguments
                       + QStringList{QStringLiteral("--lifetime"), QStringLiteral("300")});
    if (!process_.waitForStarted(10000))
        return;
    while (!process_.canReadLine() && process_.waitForReadyRead(20000)) {
    }
    announcement_ = QJsonDocument::fromJson(process_.readLine()).object();
}

FixtureProcess::~FixtureProcess()
{
    process_.closeWriteChannel();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

} // namespace tunara::testing
