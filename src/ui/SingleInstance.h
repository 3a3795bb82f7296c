#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

namespace tunara {

// Keeps the program to one instance per user: two players writing one
// station list would lose edits. The first instance holds a lock file and
// listens on a local socket beside it; a later launch asks it, over that
// socket, to show its panel, and then exits.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // socketPath names the socket; the lock file is socketPath + ".lock".
    explicit SingleInstance(const QString& socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // In the user's runtime directory, which only the user can enter.
    static QString defaultSocketPath();

    // True when this process is now the one instance.
    bool claim();
    // Asks the instance that holds the claim to show itself; true when it
    // answered within the time-out.
    bool activateRunningInstance(int timeoutMilliseconds = 3000) const;

signals:
    void activationRequested();

private:
    void answer();

    QString socketPath_;
    QLockFile lock_;
    QLocalServer server_;
};

} // namespace tunara
