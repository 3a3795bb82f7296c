#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <cstdio>
#include <unistd.h>

namespace tunara {

namespace {

const QByteArray activateRequest = "activate\n";
const QByteArray activateReply = "ok\n";

} // namespace

SingleInstance::SingleInstance(const QString& socketPath, QObject* parent)
    : QObject(parent)
    , socketPath_(socketPath)
    , lock_(socketPath + QStringLiteral(".lock"))
{
    // A lock is stale only when its process is gone, never by age.
    lock_.setStaleLockTime(0);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::answer);
}

SingleInstance::~SingleInstance()
{
    server_.close();
}

QString SingleInstance::defaultSocketPath()
{
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    return QDir(directory).filePath(QStringLiteral("tunara-%1.socket").arg(getuid()));
}

bool SingleInstance::claim()
{
    if (!lock_.tryLock(0))
        return false;
    // The lock is ours, so a socket file left there is from a process that
    // has ended.
    QLocalServer::removeServer(socketPath_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(socketPath_)) {
        std::printf("Failed to listen for other launches: %s\n", qPrintable(server_.errorString()));
        std::fflush(stdout);
    }
    return true;
}

bool SingleInstance::activateRunningInstance(int timeoutMilliseconds) const
{
    const QDeadlineTimer deadline(timeoutMilliseconds);
    // The running instance may have taken the lock a moment ago and not yet
    // be listening: try again until the deadline.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
            socket.write(activateRequest);
            if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
                return false;
            while (socket.bytesAvailable() < activateReply.size()) {
                if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                    return false;
            }
            return socket.readAll().startsWith(activateReply);
        }
        QThread::msleep(50);
    }
    return false;
}

void SingleInstance::answer()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == activateRequest) {
                socket->write(activateReply);
                socket->flush();
                emit activationRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

} // namespace tunara
