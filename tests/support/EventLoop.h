#pragma once

// Waiting on the real main loop (Qt's, which also runs GLib's sources) for
// something to happen, instead of sleeping.

#include <functional>

namespace tunara::testing {

// Processes events until done() holds or the time is up; done()'s value.
bool waitUntil(const std::function<bool()>& done, double seconds = 15);
// Processes events for the given time.
void runFor(double seconds);

} // namespace tunara::testing
