// Runs the GStreamer tests inside a Qt application, whose main loop also
// drives GLib's main context.

#include "GstMediaBackend.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    tunara::initializeGStreamer();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
