// Runs the leak tests with GStreamer's leaks tracer, which must be chosen
// before GStreamer starts.

#include "GstMediaBackend.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("GST_TRACERS", "leaks", 1);
    QCoreApplication application(argc, argv);
    tunara::initializeGStreamer();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
