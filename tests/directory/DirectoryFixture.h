#pragma once

// The local stand-in for the station directory of tests/fixtures
// (directory_server.py), started for one test.

#include "support/FixtureProcess.h"

#include <QMap>
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

    // streamBase: where the stations' resolved URLs point (the stream
    // fixture); favicons: a folder whose files it serves as favicons.
    explicit DirectoryFixture(const QUrl& streamBase = {}, double slowSeconds = 3, const QString& favicons = {});

    bool isRunning() const { return port_ != 0; }
    // The base URL of the healthy server, or of one behaving as named.
    QUrl url(const QString& server = {}) const;
    // A base URL on a local port nobody listens on.
    static QUrl refused();
    // Every request so far, in order of arrival.
    QList<Request> requests() const;

private:
    QTemporaryDir directory_;
    FixtureProcess process_;
    int port_ = 0;
};

} // namespace tunara::testing
