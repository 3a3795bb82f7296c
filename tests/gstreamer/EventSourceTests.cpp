// The real sources of network and wake events, and the registry left to
// GStreamer after start-up.

#include "GioNetworkMonitor.h"
#include "GstMediaBackend.h"
#include "LogindWakeNotifier.h"

#include "support/EventLoop.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <csignal>

namespace tunara::testing {
namespace {

TEST(GioNetworkMonitorTest, ReportsTheCurrentStateAtStartAndNothingAfterCancel)
{
    GioNetworkMonitor monitor;
    std::vector<bool> reports;
    monitor.start([&](bool available) { reports.push_back(available); });
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports.front(), bool(g_network_monitor_get_network_available(g_network_monitor_get_default())));

    monitor.cancel();
    g_signal_emit_by_name(g_network_monitor_get_default(), "network-changed", FALSE);
    EXPECT_EQ(reports.size(), 1u);
}

// A private bus daemon standing in for the system bus while it lives.
class PrivateSystemBus {
public:
    PrivateSystemBus()
    {
        QProcess daemon;
        daemon.start("dbus-daemon", {"--session", "--fork", "--print-address=1", "--print-pid=1"});
        daemon.waitForFinished(10000);
        const QList<QByteArray> lines = daemon.readAllStandardOutput().split('\n');
        if (lines.size() < 2)
            return;
        address_ = lines.at(0).trimmed();
        pid_ = lines.at(1).trimmed().toInt();
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address_);
    }
    ~PrivateSystemBus()
    {
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", previous_);
        if (pid_ > 0)
            ::kill(pid_, SIGTERM);
    }

    bool isRunning() const { return pid_ > 0; }
    // A connection that can own logind's name and send its signals.
    GDBusConnection* connect() const
    {
        return g_dbus_connection_new_for_address_sync(
            address_.constData(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                 | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
    }

private:
    QByteArray previous_ = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    QByteArray address_;
    qint64 pid_ = 0;
};

void ownName(GDBusConnection* connection, const char* name)
{
    GVariant* reply = g_dbus_connection_call_sync(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                   "org.freedesktop.DBus", "RequestName", g_variant_new("(su)", name, 0u),
                                                   nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (reply)
        g_variant_unref(reply);
}

void sendPrepareForSleep(GDBusConnection* connection, bool goingToSleep)
{
    g_dbus_connection_emit_signal(connection, nullptr, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                  "PrepareForSleep", g_variant_new("(b)", goingToSleep), nullptr);
    g_dbus_connection_flush_sync(connection, nullptr, nullptr);
}

TEST(LogindWakeNotifierTest, WakesOnlyOnLogindsPrepareForSleepFalse)
{
    PrivateSystemBus bus;
    ASSERT_TRUE(bus.isRunning());
    GDBusConnection* logind = bus.connect();
    GDBusConnection* impostor = bus.connect();
    ASSERT_TRUE(logind && impostor);
    ownName(logind, "org.freedesktop.login1");

    StdoutCapture output;
    LogindWakeNotifier notifier;
    EXPECT_TRUE(notifier.isConnected());
    EXPECT_TRUE(output.lines().isEmpty());
    int wakes = 0;
    auto registration = notifier.observeWake([&] { ++wakes; });

    sendPrepareForSleep(impostor, false); // not logind: ignored
    sendPrepareForSleep(logind, true);    // going to sleep: no wake
    sendPrepareForSleep(logind, false);
    EXPECT_TRUE(waitUntil([&] { return wakes == 1; }, 5));
    runFor(0.2);
    EXPECT_EQ(wakes, 1);

    registration.reset();
    sendPrepareForSleep(logind, false);
    runFor(0.2);
    EXPECT_EQ(wakes, 1);
    g_object_unref(impostor);
    g_object_unref(logind);
}

TEST(LogindWakeNotifierTest, WithoutLogindOrSystemBusThereIsOneLineAndNoEvent)
{
    {
        PrivateSystemBus bus; // a system bus without logind
        ASSERT_TRUE(bus.isRunning());
        StdoutCapture output;
        LogindWakeNotifier notifier;
        auto registration = notifier.observeWake([] { ADD_FAILURE() << "no wake without logind"; });
        EXPECT_EQ(output.lines(), QStringList{QStringLiteral("Wake events unavailable: logind is not running")});
    }
    const QByteArray previous = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system_bus_socket");
    StdoutCapture output;
    LogindWakeNotifier notifier;
    auto registration = notifier.observeWake([] { ADD_FAILURE() << "no wake without a bus"; });
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", previous);
    EXPECT_FALSE(notifier.isConnected());
    ASSERT_EQ(output.lines().size(), 1);
    EXPECT_TRUE(output.lines().front().startsWith(QStringLiteral("Wake events unavailable: no system bus")));
}

} // namespace
} // namespace tunara::testing
