// Import and export in the Settings window: files dropped on it, and the
// file dialogs of Ctrl+O and Ctrl+S.

#include "StationFilesViewModel.h"
#include "UiFixture.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

namespace tunara::testing {
namespace {

class StationFilesTest : public UiTest {
protected:
    QQuickView& window() { return ui.app->settings(); }
    // The report is in the window only while it is shown.
    ::testing::AssertionResult reportSays(const QString& text)
    {
        const auto report = [&] { return Window(window()).text("stationFilesMessage"); };
        return (QTest::qWaitFor([&] { return report() == text; }) ? ::testing::AssertionSuccess()
                                                                  : ::testing::AssertionFailure())
               << "the report says " << report().toStdString();
    }
    QUrl write(const QString& name, const QByteArray& bytes)
    {
        QFile file(QDir(files.path()).filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return QUrl::fromLocalFile(file.fileName());
    }
    // Drags the files over the window and drops them.
    void drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at(window().width() / 2, window().height() / 3);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window(), &move);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window(), &dropped);
    }
    // Opens the file dialog with its key and there picks the file (import)
    // or names it (export) and confirms.
    void choose(Qt::Key key, const QString& name)
    {
        auto* model = window().rootObject()->findChild<StationFilesViewModel*>("stationFilesViewModel");
        window().requestActivate();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
        QTest::keyClick(&window(), key, Qt::ControlModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return model->dialog() && model->dialog()->isVisible(); }));
        QFileDialog* dialog = model->dialog();
        EXPECT_EQ(dialog->acceptMode(), key == Qt::Key_S ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog->setDirectory(files.path());
        auto* fileName = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_TRUE(fileName);
        fileName->selectAll();
        QTest::keyClicks(fileName, name);
        QTest::keyClick(fileName, Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !model->dialog(); }));
    }
    QTemporaryDir files;
};

TEST_F(StationFilesTest, DroppedPlaylistFilesAddTheirNewStations)
{
    ui.setStations({"One"});
    ui.showSettings();
    const QUrl m3u = write("list.m3u", "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:-1,Jazz\r\nhttp://jazz.example/\r\n# note\r\n"
                                       "http://127.0.0.1:8000/station0\r\n");
    const QUrl pls = write("more.pls", "[playlist]\nFile1=https://rock.example/\nTitle1=Rock\nFile2=http://pop.example/\n");
    drop({m3u, pls});
    EXPECT_TRUE(reportSays("Added 3 stations"));
    EXPECT_EQ(ui.names(), QStringList({"One", "Jazz", "Rock", "pop.example"}));

    drop({m3u});
    EXPECT_TRUE(reportSays("No new stations: all are in your list already"));
    drop({write("song.mp3", QByteArray(2048, '\xFF'))});
    EXPECT_TRUE(reportSays("No stations found in \u201Csong.mp3\u201D"));
    EXPECT_EQ(ui.names(), QStringList({"One", "Jazz", "Rock", "pop.example"}));
}

TEST_F(StationFilesTest, AnExportedListImportsIntoAnEmptyListAsTheSameList)
{
    ui.setStations({"One", "Two, \"2\"", "Drei ä"});
    ui.showSettings();
    choose(Qt::Key_S, "mine");
    EXPECT_TRUE(reportSays("Exported 3 stations to \u201Cmine.m3u8\u201D"));

    ui.setStations({});
    choose(Qt::Key_O, "mine.m3u8");
    EXPECT_TRUE(reportSays("Added 3 stations"));
    EXPECT_EQ(ui.names(), QStringList({"One", "Two, \"2\"", "Drei ä"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ui.station(i).urlText(), QStringLiteral("http://127.0.0.1:8000/station%1").arg(i));
}

} // namespace
} // namespace tunara::testing
