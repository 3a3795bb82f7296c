// Renders the panel in each status, the empty panel, the Settings window,
// the station editor with a validation message, the delete confirmation,
// the Find Stations sheet against the local stand-in directory, import and
// export, long lists in the panel and in Settings (with a drag) and the tray
// icons, as PNG files into the folder given as argument.

#include "ManualMarqueeClock.h"
#include "MarqueeScroller.h"
#include "StatusWording.h"
#include "StationFilesViewModel.h"
#include "Translations.h"
#include "UiFixture.h"
#include "directory/DirectoryFixture.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QIcon>
#include <QPainter>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(TunaraPlugin)

namespace tunara::testing {
namespace {

QString outputDirectory;

void save(QQuickWindow& window, const QString& name)
{
    QTest::qWait(50);
    const QString path = QDir(outputDirectory).filePath(name + QStringLiteral(".png"));
    window.grabWindow().save(path);
    std::printf("%s\n", qPrintable(path));
}

void renderPanels()
{
    const QString shortTitle = QStringLiteral("Blue in Green");
    const QString longTitle = QStringLiteral("Concierto de Aranjuez (Adagio) — Live at the Blue Note, 1967 Remaster");
    const QStringList names = {QStringLiteral("Worldwide FM"), QStringLiteral("NTS 1"), QStringLiteral("NTS 2"),
                               QStringLiteral("KCRW Eclectic24"), QStringLiteral("Radio Paradise — Main Mix")};

    {
        UiHarness ui;
        ui.setStations({});
        save(ui.showPanel(), QStringLiteral("panel-empty"));
    }
    {
        UiHarness ui;
        ui.setStations(names);
        save(ui.showPanel(), QStringLiteral("panel-no-selection"));
    }

    const std::pair<PlayingStatus, const char*> statuses[] = {
        {PlayingStatus::loading, "loading"}, {PlayingStatus::buffering, "buffering"}, {PlayingStatus::playing, "playing"},
        {PlayingStatus::error, "error"},     {PlayingStatus::paused, "paused"},
    };
    for (const auto& [status, statusName] : statuses) {
        for (const bool isLong : {false, true}) {
            UiHarness ui;
            QStringList stationNames = names;
            if (isLong)
                stationNames[1] = QStringLiteral("NTS 1 — a station name long enough to wrap onto a second line");
            ui.setStations(stationNames);
            ui.present(1, status,
                       metadata(isLong ? longTitle : shortTitle,
                                isLong ? QStringLiteral("Miles Davis & Gil Evans Orchestra") : QStringLiteral("Miles Davis")));
            QQuickView& panel = ui.showPanel();
            // A scrolling title is shown half way through its first pass.
            ManualMarqueeClock clock;
            QQuickItem* marquee = UiHarness::find(panel, QStringLiteral("titleMarquee"));
            auto* scroller = marquee ? marquee->property("scroller").value<MarqueeScroller*>() : nullptr;
            if (scroller) {
                scroller->setClock(&clock);
                clock.advance(2 + 4);
            }
            save(panel, QStringLiteral("panel-%1-%2").arg(QLatin1String(statusName), isLong ? "long" : "short"));
            if (scroller)
                scroller->setClock(nullptr);
        }
    }
    {
        // Playing with the stream's details and a sleep timer; its choices.
        UiHarness ui;
        ui.setStations(names);
        ui.present(1, PlayingStatus::playing, metadata(shortTitle, QStringLiteral("Miles Davis")));
        ui.platform.backend.session().report(StreamDetails{QStringLiteral("MP3"), 128000, 44100, 2});
        ui.store->sleepTimer().start(25 * 60);
        QQuickView& panel = ui.showPanel();
        save(panel, QStringLiteral("panel-details-sleep"));
        ui.app->commands().chooseSleepTimer();
        save(panel, QStringLiteral("panel-sleep-choices"));
    }
    {
        // Stations with logos, one playing; then what was played.
        UiHarness ui;
        ui.setStations(names);
        QTemporaryDir pictures;
        const QColor colours[] = {QColor("#e4572e"), QColor("#17bebb"), QColor("#2e282a"), QColor("#76b041")};
        QList<QUrl> logos;
        for (int i = 0; i < 4; ++i) {
            QImage image(64, 64, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(colours[i]);
            painter.setPen(Qt::NoPen);
            painter.drawRoundedRect(0, 0, 64, 64, 14, 14);
            painter.setBrush(Qt::white);
            painter.drawEllipse(QPoint(32, 32), 12 + 3 * i, 12 + 3 * i);
            painter.end();
            const QString path = pictures.filePath(QStringLiteral("logo-%1.png").arg(i));
            image.save(path);
            logos << QUrl::fromLocalFile(path);
            ui.store->setStationLogo(ui.station(i).id, logos.last());
        }
        for (const QString& title : {QStringLiteral("Bill Evans - Peace Piece"), QStringLiteral("Nina Simone - Lilac Wine")}) {
            ui.present(title.startsWith(QLatin1String("Bill")) ? 0 : 1, PlayingStatus::playing);
            ui.platform.backend.session().report(StreamTitle{title});
        }
        ui.platform.backend.session().report(StreamTitle{QStringLiteral("Alice Coltrane - Journey in Satchidananda")});
        QQuickView& panel = ui.showPanel();
        if (!QTest::qWaitFor([&] {
                return std::ranges::all_of(logos, [&](const QUrl& logo) { return !ui.app->logos().file(logo).isEmpty(); });
            }))
            std::printf("logos not ready\n");
        save(panel, QStringLiteral("panel-logos"));
        ui.app->openHistory();
        (void)QTest::qWaitForWindowExposed(&ui.app->history());
        save(ui.app->history(), QStringLiteral("recently-played"));
    }
}

void renderSettings()
{
    UiHarness ui;
    ui.setStations({QStringLiteral("Worldwide FM"), QStringLiteral("NTS 1"), QStringLiteral("KCRW Eclectic24"),
                    QStringLiteral("A station with a rather long name that wraps")});
    ui.store->updateStation(ui.station(2).id, QStringLiteral("KCRW Eclectic24"),
                           QStringLiteral("https://kcrw.streamguys1.com/kcrw_192k_mp3_e24_internet_radio?listening-from-radio-garden=1"));
    QQuickView& settings = ui.showSettings();
    SettingsViewModel& model = ui.app->settingsModel();
    model.select(ui.id(1));
    save(settings, QStringLiteral("settings"));

    model.askToDelete(ui.id(1));
    save(settings, QStringLiteral("settings-delete"));
    model.sheetClosed();
    QTest::qWait(50);

    model.add();
    QTest::qWait(50);
    save(settings, QStringLiteral("editor-add"));
    auto* editor = UiHarness::find(settings, QStringLiteral("stationEditor"))->property("editor").value<QObject*>();
    editor->setProperty("name", QStringLiteral("Jazz24"));
    editor->setProperty("url", QStringLiteral("ftp://jazz24.example/live"));
    QMetaObject::invokeMethod(editor, "save");
    save(settings, QStringLiteral("editor-validation"));
    QTest::keyClick(&settings, Qt::Key_Escape);
    QTest::qWait(50);

    model.edit(ui.id(1));
    save(settings, QStringLiteral("editor-edit"));
}

void type(QQuickView& view, const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(&view, c.toLatin1());
}

void renderFindStations()
{
    DirectoryFixture server;
    const QStringList names = {QStringLiteral("Worldwide FM"), QStringLiteral("NTS 1"), QStringLiteral("KCRW Eclectic24")};
    {
        qputenv("TUNARA_DIRECTORY_URL", server.url().toString().toUtf8());
        UiHarness ui;
        ui.setStations(names);
        QQuickView& settings = ui.showSettings();
        QTest::keyClick(&settings, Qt::Key_F, Qt::ControlModifier);
        save(settings, QStringLiteral("find-stations-start"));
        type(settings, QStringLiteral("jazz"));
        QTest::qWait(50);
        save(settings, QStringLiteral("find-stations-searching"));
        QTest::qWait(1000);
        save(settings, QStringLiteral("find-stations-results"));
        QTest::keyClick(&settings, Qt::Key_Down);
        QTest::keyClick(&settings, Qt::Key_Down);
        QTest::keyClick(&settings, Qt::Key_Return);
        save(settings, QStringLiteral("find-stations-added"));
        settings.resize(400, 250);
        save(settings, QStringLiteral("find-stations-smallest"));
        settings.resize(500, 350);
        QTest::keyClick(&settings, Qt::Key_Escape);
        save(settings, QStringLiteral("find-stations-closed"));

        QTest::mouseClick(&settings, Qt::LeftButton, {},
                          UiHarness::centreOf(UiHarness::find(settings, QStringLiteral("stationFilesButton"))));
        save(settings, QStringLiteral("settings-files-menu"));
        QTest::keyClick(&settings, Qt::Key_Escape);
        auto* files = settings.rootObject()->findChild<StationFilesViewModel*>();
        emit files->reported(QStringLiteral("Added 12 stations"));
        save(settings, QStringLiteral("settings-files-report"));
        files->chooseExportFile(&settings);
        QTest::qWait(200);
        if (files->dialog()) {
            const QString path = QDir(outputDirectory).filePath(QStringLiteral("export-dialog.png"));
            files->dialog()->grab().save(path);
            std::printf("%s\n", qPrintable(path));
            files->dialog()->close();
        }
    }
    {
        qputenv("TUNARA_DIRECTORY_URL", server.url(QStringLiteral("down")).toString().toUtf8());
        UiHarness ui;
        ui.setStations(names);
        QQuickView& settings = ui.showSettings();
        QTest::keyClick(&settings, Qt::Key_F, Qt::ControlModifier);
        type(settings, QStringLiteral("jazz"));
        QTest::qWait(1000);
        save(settings, QStringLiteral("find-stations-error"));
    }
    qunsetenv("TUNARA_DIRECTORY_URL");
}

void renderLongLists()
{
    QStringList names;
    for (int i = 1; i <= 60; ++i)
        names << QStringLiteral("Station %1").arg(i);
    UiHarness ui;
    ui.setStations(names);
    ui.present(40, PlayingStatus::playing, metadata(QStringLiteral("Blue in Green"), QStringLiteral("Miles Davis")));
    QQuickView& panel = ui.showPanel();
    UiHarness::listRow(UiHarness::find(panel, QStringLiteral("stationList")), 40);
    save(panel, QStringLiteral("panel-long-list"));

    // The Settings list half way down, a row being dragged with the
    // drop line under the pointer.
    QQuickView& settings = ui.showSettings();
    QQuickItem* list = UiHarness::find(settings, QStringLiteral("stationList"));
    UiHarness::listRow(list, 36);
    QQuickItem* to = UiHarness::listRow(list, 31);
    QQuickItem* from = UiHarness::listRow(list, 28);
    const QPoint start = UiHarness::centreOf(from);
    const QPoint end = UiHarness::centreOf(to) + QPoint(0, int(to->height() / 2) - 2);
    QTest::mousePress(&settings, Qt::LeftButton, {}, start);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(&settings, start + (end - start) * step / 4);
    save(settings, QStringLiteral("settings-long-list-drag"));
    QTest::keyClick(&settings, Qt::Key_Escape);
    QTest::mouseRelease(&settings, Qt::LeftButton, {}, end);
}

void renderTrayIcons()
{
    // Each icon at tray sizes on a light and a dark panel.
    QImage sheet(4 * 40 + 8, 2 * 40 + 8, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.fillRect(0, sheet.height() / 2, sheet.width(), sheet.height() / 2, QColor(0x2b, 0x2b, 0x2b));
    int x = 4;
    for (const PlayingStatus status : {PlayingStatus::paused, PlayingStatus::playing}) {
        const QIcon icon(StatusWording::trayIconPath(status));
        for (const int size : {16, 24}) {
            painter.drawPixmap(x + (40 - size) / 2, 4 + (40 - size) / 2, icon.pixmap(size));
            painter.drawPixmap(x + (40 - size) / 2, 44 + (40 - size) / 2, icon.pixmap(size));
            x += 40;
        }
    }
    painter.end();
    const QString path = QDir(outputDirectory).filePath(QStringLiteral("tray-icons.png"));
    sheet.scaled(sheet.size() * 3).save(path);
    std::printf("%s\n", qPrintable(path));
}

} // namespace
} // namespace tunara::testing

int main(int argc, char* argv[])
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication application(argc, argv);
    // In the language of LANG, as the program starts.
    const tunara::Translations translations{QLocale()};
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    tunara::testing::outputDirectory = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(tunara::testing::outputDirectory);
    tunara::testing::renderPanels();
    tunara::testing::renderSettings();
    tunara::testing::renderFindStations();
    tunara::testing::renderLongLists();
    tunara::testing::renderTrayIcons();
    return 0;
}
