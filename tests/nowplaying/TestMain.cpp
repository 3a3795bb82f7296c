// Each test runs in a process of its own with a private session bus, a
// private cache, data and settings folder, and an offscreen GUI application
// (the artwork needs fonts).

#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/prctl.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();

    QTemporaryDir home;
    for (const QString folder : {"CACHE", "DATA", "CONFIG"})
        qputenv(qPrintable("XDG_" + folder + "_HOME"), (home.path() + u'/' + folder).toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");

    // The bus ends with this process, however it ends.
    QProcess bus;
    bus.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    bus.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    while (!bus.canReadLine() && bus.waitForReadyRead(10000)) {
    }
    if (!bus.canReadLine())
        qFatal("could not start dbus-daemon");
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());

    QGuiApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    // Artwork still being drawn needs the fonts, which go with the application.
    QThreadPool::globalInstance()->waitForDone();
    return result;
}
