#pragma once

// The local stand-in for the station directory of tests/fixtures, started
// for one test on 127.0.0.1 with a port chosen by the OS. It ends when this
// object goes away (its standard input closes) or after its lifetime.

#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

namespace tunara::testing {

class DirectoryFixture {
public:
    struct Request {
        QString server; // "" for the healthy server, else "down", "slow", ...
        QString path;
        QMap<QString, QString> query;
        QString userAgent;
    };

    // streamBase: where the stations' resolved URLs point (the stream fixture).
    explicit DirectoryFixture(const QUrl& streamBase = {}, double slowSeconds = 3);
    ~DirectoryFixture();
    DirectoryFixture(const DirectoryFixture&) = delete;
    DirectoryFixture& operator=(const DirectoryFixture&) = delete;

    bool isRunning() const { return port_ != 0; }
    // The base URL of the healthy server, or of one behaving as named.
    QUrl url(const QString& server = {}) const;
    // A base URL on a local port nobody listens on.
    static QUrl refused();
    // Every request so far, in order of arrival.
    QList<Request> requests() const;

private:
    QTemporaryDir directory_;
    QProcess process_;
    int port_ = 0;
};

} // namespace tunara::testing
