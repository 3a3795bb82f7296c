// Runs the GStreamer tests inside a Qt application, whose main loop also
// drives GLib's main context. The leak tests run with GStreamer's leaks
// tracer, which must be chosen before GStreamer starts.

#include "GstMediaBackend.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstdlib>

int main(int argc, char** argv)
{
#ifdef TUNARA_LEAKS_TRACER
    setenv("GST_TRACERS", "leaks", 1);
#endif
    QCoreApplication application(argc, argv);
    tunara::initializeGStreamer();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
