#include "StartTrace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace tunara::trace {

bool enabled()
{
    static const bool on = [] {
        const char* value = std::getenv("TUNARA_TRACE");
        return value && std::strcmp(value, "1") == 0;
    }();
    return on;
}

void mark(const char* event)
{
    if (!enabled())
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const double milliseconds = double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
    // One call, one write: lines from several threads do not interleave.
    std::fprintf(stderr, "tunara-trace %.3f %s\n", milliseconds, event);
}

} // namespace tunara::trace
