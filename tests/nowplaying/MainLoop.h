#pragma once

// Helpers for tests that run the Qt main loop while real D-Bus clients talk
// to the player.

#include <QString>
#include <QStringList>

#include <functional>

namespace tunara::testing {

struct ClientResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs an external program to its end (at most 10 s) while the main loop
// keeps serving the bus.
ClientResult runClient(const QString& program, const QStringList& arguments);

// Runs the main loop until condition holds or timeoutMs pass.
bool spinUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Runs the main loop until every task posted to QtScheduler::mainLoop()
// before this call has run.
void drainMainLoop();

} // namespace tunara::testing
