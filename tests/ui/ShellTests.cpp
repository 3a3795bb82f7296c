// The application shell: the tray icon rule and tooltip, where the panel
// opens, the windows, one instance per user, and the termination path.

#include "AppDelegate.h"
#include "KeyHints.h"
#include "PanelPlacement.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "TrayPresentation.h"
#include "UiFixture.h"

#include <QFile>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include <csignal>
#include <thread>

namespace tunara::testing {
namespace {

TEST(TrayIconRule, OnlyPlayingShowsThePlayingImage)
{
    EXPECT_EQ(menuBarIconName(PlayingStatus::playing), "MenuBarIconPlaying");
    for (PlayingStatus status :
         {PlayingStatus::loading, PlayingStatus::buffering, PlayingStatus::error, PlayingStatus::paused})
        EXPECT_EQ(menuBarIconName(status), "MenuBarIcon") << toString(status);
    // Both images are resources of the program.
    EXPECT_TRUE(QFile::exists(menuBarIconPath(PlayingStatus::playing)));
    EXPECT_TRUE(QFile::exists(menuBarIconPath(PlayingStatus::paused)));
}

TEST(TrayToolTip, NamesTheStationAndTheTrack)
{
    const AudioStream station = AudioStream::make(QStringLiteral("Radio One"), QUrl(QStringLiteral("http://a.b/")));
    EXPECT_EQ(trayToolTip(std::nullopt, PlayingStatus::paused, {}), "Tunara");
    EXPECT_EQ(trayToolTip(station, PlayingStatus::playing, metadata(QStringLiteral("Song"), QStringLiteral("Band"))),
              "Tunara\nRadio One\nBand · Song");
    EXPECT_EQ(trayToolTip(station, PlayingStatus::paused, {}), "Tunara\nRadio One\nNo track info");
    EXPECT_EQ(trayToolTip(station, PlayingStatus::loading, {}), "Tunara\nRadio One\nConnecting…");
    EXPECT_EQ(trayToolTip(station, PlayingStatus::error, {}), "Tunara\nRadio One\nConnection failed");
}

TEST_F(UiTest, TrayIconFollowsThePlayingStatus)
{
    ui.app->start(TunaraApp::Presentation::trayIcon);
    QSystemTrayIcon* icon = ui.app->trayIcon();
    ASSERT_NE(icon, nullptr);
    ui.present(0, PlayingStatus::playing, metadata(QStringLiteral("Song")));
    EXPECT_TRUE(icon->toolTip().contains(QStringLiteral("Song")));
    const qint64 playingKey = icon->icon().cacheKey();
    ui.store->didChangeStatus(PlayingStatus::buffering);
    EXPECT_NE(icon->icon().cacheKey(), playingKey);
    EXPECT_TRUE(icon->toolTip().endsWith(QStringLiteral("Buffering…")));
}

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

TEST(KeyHints, AreTheNativeTextOfTheShortcuts)
{
    EXPECT_EQ(KeyHints::stationHint(0), "Ctrl+1");
    EXPECT_EQ(KeyHints::stationHint(8), "Ctrl+9");
    EXPECT_EQ(KeyHints::stationHint(9), "");
    EXPECT_EQ(KeyHints::nativeText(KeyHints::settingsSequence()), "Ctrl+,");
    EXPECT_EQ(KeyHints::nativeText(KeyHints::quitSequence()), "Ctrl+Q");
}

TEST_F(UiTest, TrayClickTogglesThePanelWhichIsCreatedOnFirstUse)
{
    ui.app->start(TunaraApp::Presentation::trayIcon);
    EXPECT_FALSE(ui.app->hasPanel());
    EXPECT_FALSE(ui.app->hasSettings());

    emit ui.app->trayIcon()->activated(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(ui.app->hasPanel());
    EXPECT_TRUE(ui.app->panel().isVisible());
    EXPECT_TRUE(ui.app->panel().flags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(ui.app->panel().width(), 260);

    emit ui.app->trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(ui.app->panel().isVisible());
    // The context menu's click does not open the panel.
    emit ui.app->trayIcon()->activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(ui.app->panel().isVisible());
}

TEST_F(UiTest, WithoutATrayThePanelIsAWindowAndClosingItQuits)
{
    QSignalSpy quitRequests(ui.app.get(), &TunaraApp::quitRequested);
    ui.app->start(TunaraApp::Presentation::window);
    EXPECT_EQ(ui.app->trayIcon(), nullptr);
    QQuickView& panel = ui.app->panel();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.title(), "Tunara");
    EXPECT_FALSE(panel.flags().testFlag(Qt::FramelessWindowHint));
    panel.close();
    EXPECT_EQ(quitRequests.count(), 1);
}

TEST_F(UiTest, SettingsWindowIsSingleAndSizedAsSpecified)
{
    QQuickView& first = ui.showSettings();
    EXPECT_EQ(first.title(), "Settings");
    EXPECT_EQ(first.size(), QSize(500, 350));
    EXPECT_EQ(first.minimumSize(), QSize(400, 250));
    first.close();
    ui.app->openSettings();
    EXPECT_EQ(&ui.app->settings(), &first);
    EXPECT_TRUE(first.isVisible());
}

TEST_F(UiTest, TerminationStopsPlaybackClearsSelectionAndLeavesTheLibrary)
{
    ui.setStations({QStringLiteral("One"), QStringLiteral("Two")});
    QFile library(ui.libraryPath());
    ASSERT_TRUE(library.open(QIODevice::ReadOnly));
    const QByteArray before = library.readAll();
    library.close();

    ui.store->playStream(ui.station(1).id);
    ui.platform.clock.runPending();
    ASSERT_EQ(ui.store->playingStatus(), PlayingStatus::loading);
    ASSERT_TRUE(ui.store->playbackController().player());

    AppDelegate::applicationWillTerminate(*ui.store);
    ui.platform.clock.runPending();

    EXPECT_FALSE(ui.store->playbackController().player());
    EXPECT_EQ(ui.store->playingStatus(), PlayingStatus::paused);
    EXPECT_FALSE(ui.store->selectedStream());
    EXPECT_TRUE(ui.platform.nowPlaying.cleared);
    ASSERT_TRUE(library.open(QIODevice::ReadOnly));
    EXPECT_EQ(library.readAll(), before);
}

TEST_F(UiTest, QuitCommandsReachTheShell)
{
    QSignalSpy quitRequests(ui.app.get(), &TunaraApp::quitRequested);
    ui.app->commands().quit();
    EXPECT_EQ(quitRequests.count(), 1);
}

TEST(SingleInstance, ASecondLaunchActivatesTheFirst)
{
    QTemporaryDir directory;
    const QString socketPath = QDir(directory.path()).filePath(QStringLiteral("tunara.socket"));
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

TEST(SingleInstance, NoAnswerWhenNothingListens)
{
    QTemporaryDir directory;
    SingleInstance lonely(QDir(directory.path()).filePath(QStringLiteral("none.socket")));
    EXPECT_FALSE(lonely.activateRunningInstance(200));
}

TEST(TerminationSignals, TurnSigtermAndSigintIntoARequest)
{
    TerminationSignals terminationSignals;
    QSignalSpy requests(&terminationSignals, &TerminationSignals::terminationRequested);
    std::raise(SIGTERM);
    ASSERT_TRUE(requests.wait(2000));
    EXPECT_EQ(requests.takeFirst().at(0).toInt(), SIGTERM);
    std::raise(SIGINT);
    ASSERT_TRUE(requests.wait(2000));
    EXPECT_EQ(requests.takeFirst().at(0).toInt(), SIGINT);
}

} // namespace
} // namespace tunara::testing
