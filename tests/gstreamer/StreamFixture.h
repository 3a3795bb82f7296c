#pragma once

// The local stream server of tests/fixtures (stream_server.py), started for
// one test process.

#include "support/FixtureProcess.h"

#include <QTemporaryDir>
#include <QUrl>

namespace tunara::testing {

class StreamFixture {
public:
    StreamFixture();

    bool isRunning() const { return httpPort_ != 0; }
    // A URL of the plain HTTP server, e.g. http("/icy/mp3?charset=utf-8").
    QUrl http(const QString& pathAndQuery) const;
    QUrl https(const QString& pathAndQuery) const;
    // A URL on a local port nobody listens on.
    QUrl refused() const;
    // A directory for the test's own files.
    QString workDirectory() const { return directory_.path(); }

private:
    QTemporaryDir directory_;
    FixtureProcess process_;
    int httpPort_ = 0;
    int httpsPort_ = 0;
    int refusedPort_ = 0;
};

} // namespace tunara::testing
