// The program's conversations with the desktop on a private session bus,
// each desktop service a stand-in on a connection of its own: the tray icon
// as a StatusNotifierItem, read and driven as a panel's tray does, and the
// light or dark preference of the XDG Settings portal.

#include "ColorScheme.h"
#include "UiFixture.h"
#include "tray/StatusNotifierItem.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QPalette>
#include <QProcess>
#include <QSignalSpy>

#include <sys/prctl.h>

#include <csignal>

namespace tunara::testing {
namespace {

// The desktop's side: org.kde.StatusNotifierWatcher with a host.
class Watcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    explicit Watcher(QDBusConnection bus) : bus_(std::move(bus)) { start(); }
    bool start()
    {
        bus_.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        return bus_.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    }
    void stop()
    {
        bus_.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        bus_.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    }
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

    QStringList registered;
    int layoutUpdates = 0;

public slots:
    void RegisterStatusNotifierItem(const QString& service) { registered.append(service); }
    // The host following the item's menu.
    void countLayoutUpdate() { ++layoutUpdates; }

private:
    QDBusConnection bus_;
};

// The portal's Settings, version 1: Read wraps the value twice.
class Portal final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    explicit Portal(QDBusConnection bus) : bus_(std::move(bus))
    {
        bus_.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this, QDBusConnection::ExportAllSlots);
        bus_.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    void change(uint scheme)
    {
        colorScheme = scheme;
        QDBusMessage changed = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
                                                          QStringLiteral("org.freedesktop.portal.Settings"),
                                                          QStringLiteral("SettingChanged"));
        changed << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme")
                << QVariant::fromValue(QDBusVariant(scheme));
        bus_.send(changed);
    }

    uint colorScheme = 1;

public slots:
    QDBusVariant Read(const QString& group, const QString& key)
    {
        EXPECT_EQ(group + ' ' + key, "org.freedesktop.appearance color-scheme");
        return QDBusVariant(QVariant::fromValue(QDBusVariant(colorScheme)));
    }

private:
    QDBusConnection bus_;
};

class DesktopBusTest : public UiTest {
protected:
    // A private bus daemon, ending with this process however it ends.
    static QString startBus(QProcess& daemon)
    {
        daemon.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
        daemon.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        daemon.waitForReadyRead(10000);
        tray::registerTypes();
        return QString::fromUtf8(daemon.readLine().trimmed());
    }
    ~DesktopBusTest() override
    {
        ui.app.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("item"));
        QDBusConnection::disconnectFromBus(QStringLiteral("host"));
        daemon.kill();
        daemon.waitForFinished();
    }

    // Starts the program in the tray, as the item the watcher was told of.
    StatusNotifierItem& startInTray()
    {
        EXPECT_TRUE(StatusNotifierItem::hostAvailable(itemBus));
        ui.app->start(std::make_unique<StatusNotifierItem>(itemBus));
        auto& item = static_cast<StatusNotifierItem&>(*ui.app->trayIcon());
        EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.registered.contains(item.serviceName()); }));
        return item;
    }
    // A call as the host makes it, answered while the main loop runs.
    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {})
    {
        auto message = QDBusMessage::createMethodCall(service(), path, interface, method);
        message.setArguments(arguments);
        return hostBus.call(message, QDBus::BlockWithGui, 5000);
    }
    QDBusMessage itemCall(const QString& method, const QVariantList& arguments)
    {
        return call("/StatusNotifierItem", "org.kde.StatusNotifierItem", method, arguments);
    }
    template <typename T> T property(const QString& name)
    {
        const QDBusMessage reply = call("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
                                        {"org.kde.StatusNotifierItem", name});
        const QVariant value = reply.arguments().value(0).value<QDBusVariant>().variant();
        if constexpr (std::is_same_v<T, QVariant>)
            return value;
        else if (value.canConvert<QDBusArgument>())
            return qdbus_cast<T>(value.value<QDBusArgument>());
        else
            return value.value<T>();
    }
    // The menu's entries as the host shows them: the label, "-" for a
    // separator, "(x)" for the checked station, "(off)" for a disabled one.
    QStringList menuEntries()
    {
        const QDBusMessage reply = call("/MenuBar", "com.canonical.dbusmenu", "GetLayout", {0, -1, QStringList()});
        const auto layout = qdbus_cast<tray::MenuLayout>(reply.arguments().value(1).value<QDBusArgument>());
        QStringList entries;
        for (const tray::MenuLayout& entry : layout.children) {
            const QVariantMap& p = entry.properties;
            entries << (p.value("type") == "separator" ? QStringLiteral("-") : p.value("label").toString())
                           + (p.value("toggle-state") == 1 ? " (x)" : "")
                           + (p.value("enabled", true).toBool() ? "" : " (off)");
        }
        return entries;
    }
    QString service() const { return static_cast<StatusNotifierItem&>(*ui.app->trayIcon()).serviceName(); }

    QProcess daemon;
    const QString address = startBus(daemon);
    QDBusConnection itemBus = QDBusConnection::connectToBus(address, QStringLiteral("item"));
    QDBusConnection hostBus = QDBusConnection::connectToBus(address, QStringLiteral("host"));
    Watcher watcher{hostBus};
};

TEST_F(DesktopBusTest, TheItemShowsWhatPlaysAndRegistersAgainWithANewWatcher)
{
    ui.setStations({"Radio One", "Jazz_FM"});
    StatusNotifierItem& item = startInTray();
    EXPECT_FALSE(ui.app->hasPanel());

    const std::pair<const char*, QVariant> fixed[] = {
        {"Id", "tunara"}, {"Title", "Tunara"}, {"Category", "ApplicationStatus"}, {"Status", "Active"},
        {"ItemIsMenu", false}, {"IconName", "tunara-tray"}, {"AttentionIconName", ""}};
    for (const auto& [name, value] : fixed)
        EXPECT_EQ(property<QVariant>(name), value) << name;
    EXPECT_EQ(property<QDBusObjectPath>("Menu").path(), "/MenuBar");
    // Pictures for hosts without the themed icon, in the palette's text colour.
    const auto pixmaps = property<tray::IconPixmaps>("IconPixmap");
    ASSERT_EQ(pixmaps.size(), 4);
    EXPECT_EQ(pixmaps[1].width, 22);
    EXPECT_EQ(pixmaps[1].argb.size(), 22 * 22 * 4);
    const QRgb text = QGuiApplication::palette().color(QPalette::WindowText).rgb();
    const auto* argb = reinterpret_cast<const uchar*>(pixmaps[3].argb.constData());
    bool found = false;
    for (qsizetype i = 0; i < pixmaps[3].argb.size() && !found; i += 4)
        found = argb[i] == 0xff && qRgb(argb[i + 1], argb[i + 2], argb[i + 3]) == text;
    EXPECT_TRUE(found);

    const auto toolTip = [&] { return property<tray::ToolTip>("ToolTip"); };
    EXPECT_EQ(toolTip().title, "Tunara");
    EXPECT_EQ(toolTip().text, "");
    QSignalSpy newIcon(&item, &StatusNotifierItem::lookChanged);
    ui.present(0, PlayingStatus::playing, metadata("Song", "Band"));
    EXPECT_EQ(toolTip().text, "Radio One\nBand · Song");
    ui.platform.backend.session().report(StreamDetails{"MP3", 128000, 44100, 2});
    EXPECT_EQ(toolTip().text, "Radio One\nBand · Song\nMP3 · 128 kbps · 44.1 kHz · stereo");
    EXPECT_EQ(toolTip().iconName, "tunara-tray-playing");
    EXPECT_EQ(property<QVariant>("IconName"), "tunara-tray-playing");
    ui.platform.backend.session().report(SessionState::buffering);
    EXPECT_EQ(toolTip().text, "Radio One\nBuffering…");
    EXPECT_EQ(property<QVariant>("IconName"), "tunara-tray");
    EXPECT_GE(newIcon.count(), 3);

    // The panel's tray restarts: the item is registered with the new watcher.
    watcher.registered.clear();
    watcher.stop();
    ASSERT_TRUE(watcher.start());
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.registered == QStringList{item.serviceName()}; }));
}

TEST_F(DesktopBusTest, ClicksTheWheelAndTheMenuAct)
{
    ui.setStations({"Radio One", "Jazz_FM"});
    startInTray();
    // A click opens the panel, the next closes it; the middle click plays
    // and pauses.
    itemCall("Activate", {10, 10});
    ASSERT_TRUE(ui.app->hasPanel());
    EXPECT_TRUE(ui.app->panel().isVisible());
    itemCall("Activate", {10, 10});
    EXPECT_FALSE(ui.app->panel().isVisible());
    ui.store->playStation(ui.station(1).id);
    itemCall("SecondaryActivate", {0, 0});
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::paused);
    itemCall("SecondaryActivate", {0, 0});
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::playing);

    // The wheel: one step of the volume a notch, whatever the host's unit.
    ui.store->setVolume(0.5);
    const std::tuple<QList<int>, const char*, double> turns[] = {
        {{1, 1}, "vertical", 0.4},           // a GTK host, downwards
        {{-1}, "vertical", 0.45},            // upwards
        {{5}, "horizontal", 0.45},           // sideways: nothing
        {{240}, "vertical", 0.55},           // a Qt host: the angle, upwards positive
        {{60}, "vertical", 0.55},            // half a notch of a touchpad...
        {{60}, "vertical", 0.6},             // ...and the other half
        {{-120 * 30}, "vertical", 0.0},
    };
    for (const auto& [deltas, orientation, volume] : turns) {
        for (const int delta : deltas)
            itemCall("Scroll", {delta, QString::fromLatin1(orientation)});
        EXPECT_DOUBLE_EQ(ui.store->volume(), volume) << deltas.first();
    }
    EXPECT_EQ(property<tray::ToolTip>("ToolTip").text, "Volume 0 %");
    // And Ctrl+Up/Down in the panel.
    Window panel(ui.showPanel());
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down})
        panel.press(Qt::ControlModifier | key);
    EXPECT_DOUBLE_EQ(ui.store->volume(), 0.05);

    // The menu, as a host that shows it on a left click reads it.
    EXPECT_EQ(menuEntries(), (QStringList{"Pause", "-", "Radio One", "Jazz__FM (x)", "-", "Open Tunara",
                                          "Sleep Timer…", "Recently Played…", "Settings…", "-", "Quit Tunara"}));
    hostBus.connect(service(), "/MenuBar", "com.canonical.dbusmenu", "LayoutUpdated", &watcher,
                    SLOT(countLayoutUpdate()));
    const auto click = [&](int id) {
        call("/MenuBar", "com.canonical.dbusmenu", "Event",
             {id, "clicked", QVariant::fromValue(QDBusVariant(QString())), 0u});
    };
    click(3);
    EXPECT_EQ(ui.store->selectedStation()->name, "Radio One");
    // The sleep timer's choices in the panel: 15 minutes, shown there and in
    // the tooltip.
    click(7);
    EXPECT_TRUE(panel.shown("sleepTimerSheet"));
    panel.press(Qt::Key_Return);
    EXPECT_FALSE(panel.shown("sleepTimerSheet"));
    EXPECT_EQ(panel.text("sleepText"), "Stops in 15 min");
    // (Once the volume the keys set above has been shown.)
    EXPECT_TRUE(QTest::qWaitFor([&] { return property<tray::ToolTip>("ToolTip").text.endsWith("\nStops in 15 min"); }));
    // Settings is one window, opened again after closing.
    click(9);
    ASSERT_TRUE(ui.app->hasSettings());
    QQuickView& settings = ui.app->settings();
    settings.close();
    click(9);
    EXPECT_EQ(&ui.app->settings(), &settings);
    EXPECT_TRUE(settings.isVisible());
    QSignalSpy quit(ui.app.get(), &TunaraApp::quitRequested);
    click(11);
    EXPECT_EQ(quit.count(), 1);
    ui.setStations({});
    EXPECT_EQ(menuEntries(), (QStringList{"Play (off)", "-", "Open Tunara", "Sleep Timer…", "Recently Played…",
                                          "Settings…", "-", "Quit Tunara"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.layoutUpdates > 0; }));
}

// Dark at start, then as the desktop changes it; no preference brings
// back Qt's own palette.
TEST_F(DesktopBusTest, ThePaletteFollowsThePortalsColourScheme)
{
    const QPalette original = QGuiApplication::palette();
    Portal portal(hostBus);
    ColorScheme scheme(itemBus);
    const auto windowColour = [] { return QGuiApplication::palette().color(QPalette::Window); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return scheme.preference() == ColorScheme::Preference::dark; }));
    EXPECT_EQ(windowColour(), ColorScheme::darkPalette().color(QPalette::Window));
    portal.change(2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return scheme.preference() == ColorScheme::Preference::light; }));
    EXPECT_EQ(windowColour(), ColorScheme::lightPalette().color(QPalette::Window));
    portal.change(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return scheme.preference() == ColorScheme::Preference::none; }));
    EXPECT_EQ(windowColour(), original.color(QPalette::Window));
}

} // namespace
} // namespace tunara::testing

#include "DesktopBusTests.moc"
