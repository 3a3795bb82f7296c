// Each test runs in a process of its own with a private session bus, a
// private cache and data folder, and an offscreen GUI application (the
// artwork needs fonts).

#include "PrivateBus.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();

    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");

    tunara::testing::PrivateBus bus;
    if (bus.address().empty()) {
        std::fprintf(stderr, "could not start dbus-daemon\n");
        return 1;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString(bus.address()));

    QGuiApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    // Artwork still being drawn needs the fonts, which go with the application.
    QThreadPool::globalInstance()->waitForDone();
    return result;
}
