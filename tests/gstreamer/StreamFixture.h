#pragma once

// The local stream server of tests/fixtures, started for one test process
// on 127.0.0.1 with ports chosen by the OS. It ends when this object goes
// away (its standard input closes) or after its lifetime.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

namespace tunara::testing {

class StreamFixture {
public:
    StreamFixture();
    ~StreamFixture();
    StreamFixture(const StreamFixture&) = delete;
    StreamFixture& operator=(const StreamFixture&) = delete;

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
    QProcess process_;
    int httpPort_ = 0;
    int httpsPort_ = 0;
    int refusedPort_ = 0;
};

} // namespace tunara::testing
