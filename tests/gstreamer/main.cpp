// Runs the GStreamer tests inside a Qt application, whose main loop also
// drives GLib's main context. The leak tests run with GStreamer's leaks
// tracer, which must be chosen before GStreamer starts.
//
// The program keeps no idle GLib threads, so a streaming or TLS thread may
// still be ending when the last test returns. LeakSanitizer's check at exit
// stops every thread, and a thread ending under it can crash its tracer
// ("Tracer caught signal 11"): with a sanitizer, the process first waits
// for its thread count to settle.

#include "GstMediaBackend.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <thread>

namespace {

#ifdef TUNARA_SANITIZE
void waitForThreadsToSettle()
{
    using namespace std::chrono_literals;
    const auto count = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/task"), {});
    };
    auto last = count();
    int steady = 0;
    for (int i = 0; i < 100 && steady < 5; ++i) {
        std::this_thread::sleep_for(50ms);
        const auto now = count();
        steady = now == last ? steady + 1 : 0;
        last = now;
    }
}
#endif

} // namespace

int main(int argc, char** argv)
{
#ifdef TUNARA_LEAKS_TRACER
    setenv("GST_TRACERS", "leaks", 1);
#endif
    QCoreApplication application(argc, argv);
    tunara::initializeGStreamer();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
#ifdef TUNARA_SANITIZE
    waitForThreadsToSettle();
#endif
    return result;
}
