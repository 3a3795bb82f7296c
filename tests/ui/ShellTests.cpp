// The application shell: the tray icon rule and tooltip, where the panel
// opens, the windows, one instance per user, and the termination path.

#include "PanelPlacement.h"
#include "SingleInstance.h"
#include "UiFixture.h"

#include <QAccessible>
#include <QClipboard>
#include <QDesktopServices>
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

// Opens URLs instead of the default browser.
class OpenedURLs : public QObject {
    Q_OBJECT
public:
    OpenedURLs() { QDesktopServices::setUrlHandler("https", this, "open"); }
    ~OpenedURLs() override { QDesktopServices::unsetUrlHandler("https"); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// Ctrl+H in the panel: the tracks played, newest first, each copied or
// searched for by keyboard; the history cleared once asked; Escape back.
TEST_F(UiTest, RecentlyPlayedCopiesSearchesAndClears)
{
    ui.setStations({"One"});
    ui.present(0, PlayingStatus::playing, metadata("Kerala", "Bonobo"));
    ui.platform.backend.session().report(StreamTitle{"Fish & Chips + Peas"});
    Window panel(ui.showPanel());
    panel.press(Qt::ControlModifier | Qt::Key_H);
    Window history(ui.app->history());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&history.view));
    ASSERT_TRUE(history.focused("historyList"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(history.row(0, "historyList"))->text(QAccessible::Name),
              "Fish & Chips + Peas, One, " + QLocale().toString(ui.history.tracks().at(0).time.toLocalTime().time(),
                                                                QLocale::ShortFormat));

    history.press(Qt::Key_Down);
    history.press(Qt::ControlModifier | Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Bonobo - Kerala");
    OpenedURLs opened;
    history.press(Qt::Key_Up);
    history.press(Qt::Key_Return);
    EXPECT_EQ(opened.urls, QList<QUrl>({QUrl("https://duckduckgo.com/?q=Fish%20%26%20Chips%20%2B%20Peas")}));

    history.click("clearButton");
    ASSERT_TRUE(history.waitShown("clearDialog"));
    history.press(Qt::Key_Return); // Cancel has the keyboard
    ASSERT_TRUE(history.waitShown("clearDialog", false));
    EXPECT_EQ(ui.history.tracks().size(), 2);
    history.click("clearButton");
    ASSERT_TRUE(history.waitShown("clearDialog"));
    history.click("clearConfirmButton");
    ASSERT_TRUE(history.waitShown("emptyHistory"));
    EXPECT_TRUE(ui.history.tracks().isEmpty());

    history.press(Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !history.view.isVisible(); }));
    EXPECT_TRUE(ui.app->panel().isVisible());
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

#include "ShellTests.moc"
