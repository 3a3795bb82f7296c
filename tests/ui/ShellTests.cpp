// The application shell: the tray icon rule and tooltip, where the panel
// opens, the windows, one instance per user, and the termination path.

#include "PanelPlacement.h"
#include "SingleInstance.h"
#include "UiFixture.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

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

// Tiling window managers (sway, i3) float a window of a fixed size rather
// than tile it across the workspace.
TEST_F(UiTest, InTheTrayThePanelKeepsAFixedSizeAsItsListGrows)
{
    ui.setStations({"A"});
    QQuickView& panel = ui.showPanel();
    const QSize first = panel.size();
    EXPECT_EQ(panel.minimumSize(), first);
    EXPECT_EQ(panel.maximumSize(), first);
    ui.setStations({"A", "B", "C", "D"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel.height() > first.height(); }));
    EXPECT_EQ(panel.minimumSize(), panel.size());
    EXPECT_EQ(panel.maximumSize(), panel.size());
}

TEST_F(UiTest, WithoutATrayThePanelIsAWindowAndClosingItQuits)
{
    QSignalSpy quitRequests(ui.app.get(), &TunaraApp::quitRequested);
    ui.app->start(nullptr);
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

} // namespace
} // namespace tunara::testing
