#pragma once

// Where the time to the first sound goes. Off by default; with the
// environment variable TUNARA_TRACE=1 each step of starting a station writes
// one line to standard error:
//   tunara-trace <milliseconds on the monotonic clock> <event>
// play, pipeline-built, connected, first-byte, first-decoded, sink-started,
// playing. Any thread may mark a step.

namespace tunara::trace {

bool enabled();
void mark(const char* event);

} // namespace tunara::trace
