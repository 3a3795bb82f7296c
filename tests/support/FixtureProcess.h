#pragma once

// A stand-in server of tests/fixtures (a Python script) run for one test:
// it listens on 127.0.0.1 on ports the OS chooses and announces them in one
// JSON line. It ends when this object goes away (its standard input
// closes) or after its lifetime.

#include <QJsonObject>
#include <QProcess>
#include <QStringList>

namespace tunara::testing {

class FixtureProcess {
public:
    // script: a file name in tests/fixtures.
    FixtureProcess(const QString& script, const QStringList& arguments);
    ~FixtureProcess();
    FixtureProcess(const FixtureProcess&) = delete;
    FixtureProcess& operator=(const FixtureProcess&) = delete;

    // What the server announced; empty when it did not start.
    const QJsonObject& announcement() const { return announcement_; }

private:
    QProcess process_;
    QJsonObject announcement_;
};

} // namespace tunara::testing
