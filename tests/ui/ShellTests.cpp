// The application shell: the tray icon rule and tooltip, where the panel
// opens, the windows, one instance per user, and the termination path.

#include "PanelPlacement.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "StatusWording.h"
#include "UiFixture.h"

#include <QFile>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWheelEvent>

#include <csignal>
#include <thread>

namespace tunara::testing {
namespace {

TEST(PanelPlacement, OpensUnderTheIconOrAboveItAtTheBottom)
{
    const QRect screen(0, 0, 1280, 800);
    const QSize panel(260, 300);
    // Icon at the top right: under it, kept inside the screen.
    EXPECT_EQ(panelPosition(QRect(1250, 2, 24, 24), {}, panel, screen), QPoint(1020, 30));
    // Icon in a bottom panel: above it.
    EXPECT_EQ(panelPosition(QRect(600, 776, 24, 24), {}, panel, screen), QPoint(481, 472));
    // No icon geometry (StatusNotifierItem hosts): at the pointer.
    EXPECT_EQ(panelPosition(QRect(), QPoint(300, 10), panel, screen), QPoint(170, 15));
    // A second screen to the right.
    EXPECT_EQ(panelPosition(QRect(1300, 2, 24, 24), {}, panel, QRect(1280, 0, 1920, 1080)), QPoint(1280, 30));
}

TEST_F(UiTest, TrayIconFollowsTheStatusSetsTheVolumeAndItsClickTogglesThePanelCreatedOnFirstUse)
{
    ui.app->start(TunaraApp::Presentation::trayIcon);
    QSystemTrayIcon* icon = ui.app->trayIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(ui.app->hasPanel());
    EXPECT_FALSE(ui.app->hasSettings());
    EXPECT_EQ(icon->toolTip(), "Tunara");

    // The wheel over the icon, and Ctrl+Up/Down in the panel (at the end),
    // move the volume a step at a time; the tooltip tells the new level for
    // a moment.
    ui.store->setVolume(0.5);
    const auto turn = [&](int angle) {
        QWheelEvent wheel({}, {}, {}, QPoint(0, angle), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(icon, &wheel);
    };
    turn(2 * 120);
    EXPECT_DOUBLE_EQ(ui.store->volume(), 0.6);
    EXPECT_EQ(icon->toolTip(), "Tunara — 60 %");
    turn(60); // half a notch of a touchpad does nothing yet...
    EXPECT_DOUBLE_EQ(ui.store->volume(), 0.6);
    turn(60); // ...the other half makes a step
    EXPECT_DOUBLE_EQ(ui.store->volume(), 0.65);
    turn(-120 * 30);
    EXPECT_DOUBLE_EQ(ui.store->volume(), 0.0);
    EXPECT_EQ(icon->toolTip(), "Tunara — 0 %");
    EXPECT_TRUE(QTest::qWaitFor([&] { return icon->toolTip() == "Tunara"; }, 3000));

    ui.setStations({"Radio One"});
    ui.present(0, PlayingStatus::playing, metadata("Song", "Band"));
    EXPECT_EQ(icon->toolTip(), "Tunara\nRadio One\nBand · Song");
    const qint64 playingKey = icon->icon().cacheKey();
    ui.platform.backend.session().report(SessionState::buffering);
    EXPECT_NE(icon->icon().cacheKey(), playingKey);
    EXPECT_TRUE(icon->toolTip().endsWith("Buffering…"));
    // Only playing shows the playing image, of those the program has always shipped.
    for (PlayingStatus status : {PlayingStatus::loading, PlayingStatus::buffering, PlayingStatus::playing,
                                 PlayingStatus::error, PlayingStatus::paused}) {
        const QString path = StatusWording::trayIconPath(status);
        EXPECT_EQ(path, status == PlayingStatus::playing ? ":/tunara/icons/MenuBarIconPlaying.svg" : ":/tunara/icons/MenuBarIcon.svg");
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    }

    emit icon->activated(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(ui.app->hasPanel());
    EXPECT_TRUE(ui.app->panel().isVisible());

    emit icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(ui.app->panel().isVisible());
    // The context menu's click does not open the panel.
    emit icon->activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(ui.app->panel().isVisible());

    // Settings is one window, opened again after closing.
    QQuickView& settings = ui.showSettings();
    settings.close();
    ui.app->openSettings();
    EXPECT_EQ(&ui.app->settings(), &settings);
    EXPECT_TRUE(settings.isVisible());

    Window panel(ui.showPanel());
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down})
        panel.press(Qt::ControlModifier | key);
    EXPECT_DOUBLE_EQ(ui.store->volume(), 0.05);
}

TEST_F(UiTest, WithoutATrayThePanelIsAWindowAndClosingItQuits)
{
    QSignalSpy quitRequests(ui.app.get(), &TunaraApp::quitRequested);
    ui.app->start(TunaraApp::Presentation::window);
    EXPECT_EQ(ui.app->trayIcon(), nullptr);
    QQuickView& panel = ui.app->panel();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_FALSE(panel.flags().testFlag(Qt::FramelessWindowHint));
    panel.close();
    EXPECT_EQ(quitRequests.count(), 1);
}

TEST_F(UiTest, TerminationStopsPlaybackClearsSelectionAndLeavesTheLibrary)
{
    ui.setStations({"One", "Two"});
    const auto libraryBytes = [&] {
        QFile library(ui.libraryPath());
        return library.open(QIODevice::ReadOnly) ? library.readAll() : QByteArray();
    };
    const QByteArray before = libraryBytes();
    ASSERT_FALSE(before.isEmpty());

    ui.present(1, PlayingStatus::playing);
    ASSERT_TRUE(ui.player.nowPlaying());

    ui.store->shutDown();
    ui.platform.clock.runPending();

    EXPECT_FALSE(ui.player.hasSession());
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::paused);
    EXPECT_FALSE(ui.store->selectedStation());
    EXPECT_FALSE(ui.player.nowPlaying());
    EXPECT_EQ(libraryBytes(), before);
}

TEST(SingleInstance, ASecondLaunchActivatesTheFirst)
{
    QTemporaryDir directory;
    const QString socketPath = QDir(directory.path()).filePath("tunara.socket");
    SingleInstance first(socketPath);
    ASSERT_TRUE(first.claim());
    QSignalSpy activations(&first, &SingleInstance::activationRequested);

    SingleInstance second(socketPath);
    EXPECT_FALSE(second.claim());
    bool answered = false;
    std::thread launch([&] { answered = second.activateRunningInstance(5000); });
    EXPECT_TRUE(activations.wait(5000));
    launch.join();
    EXPECT_TRUE(answered);
}

TEST(TerminationSignals, TurnSigtermAndSigintIntoARequest)
{
    TerminationSignals terminationSignals;
    QSignalSpy requests(&terminationSignals, &TerminationSignals::terminationRequested);
    for (const int signal : {SIGTERM, SIGINT}) {
        std::raise(signal);
        ASSERT_TRUE(requests.wait(2000));
        EXPECT_EQ(requests.takeFirst().at(0).toInt(), signal);
    }
}

} // namespace
} // namespace tunara::testing
