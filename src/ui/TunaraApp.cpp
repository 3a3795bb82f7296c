#include "TunaraApp.h"

#include "Announcement.h"

#include "KeyHints.h"
#include "PanelPlacement.h"
#include "SymbolImageProvider.h"
#include "StatusWording.h"
#include "common/DisplayText.h"
#include "model/Store.h"

#include <QCursor>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>
#include <QtMath>

namespace tunara {

namespace {

const QString moduleDirectory = QStringLiteral("qrc:/qt/qml/Tunara/qml/");

// A click on the tray icon first takes the focus from the open panel,
// which closes it; the click itself arrives just after. Within this time
// it is taken as the click that closed the panel.
constexpr qint64 focusLossGraceMilliseconds = 300;

} // namespace

TunaraApp::TunaraApp(Store& store, TrackHistory& history, QObject* parent)
    : QObject(parent)
    , store_(store)
    , viewModel_(store)
    , settingsModel_(store)
    , historyModel_(history)
{
    viewModel_.setLogos(&logos_);
    connect(&commands_, &AppCommands::historyRequested, this, &TunaraApp::openHistory);
    connect(&commands_, &AppCommands::historyCloseRequested, this, &TunaraApp::closeHistory);
    connect(&commands_, &AppCommands::settingsRequested, this, &TunaraApp::openSettings);
    connect(&commands_, &AppCommands::quitRequested, this, &TunaraApp::quit);
    connect(&commands_, &AppCommands::panelDismissRequested, this, &TunaraApp::hidePanel);
    connect(&commands_, &AppCommands::settingsCloseRequested, this, &TunaraApp::closeSettings);
    connect(&commands_, &AppCommands::findStationsRequested, this, [this] {
        openSettings();
        settingsModel_.find();
    });
    connect(&commands_, &AppCommands::addStationRequested, this, [this] {
        openSettings();
        settingsModel_.add();
    });
    announceChanges();
}

void TunaraApp::announceChanges()
{
    // What the open panel shows changing is told to a screen reader too;
    // a failure and the list's changes in whichever window has the keyboard.
    const auto inPanel = [this](const QString& text) {
        if (panel_ && panel_->isActive())
            announce(text);
    };
    connect(&store_, &Store::trackChanged, this,
            [this, inPanel] { inPanel(StatusWording::trackLine(store_.track())); });
    connect(&store_, &Store::volumeChanged, this, [this, inPanel] { inPanel(viewModel_.volumeText()); });
    connect(&store_, &Store::playingStatusChanged, this, [this] {
        if (store_.playingStatus() == PlayingStatus::error)
            announce(viewModel_.spokenNowPlaying());
    });
    StationList& list = store_.stationList();
    connect(&list, &StationList::rowsInserted, this, [this, &list](const QModelIndex&, int first, int last) {
        announce(first == last ? tr("Added %1").arg(cleanDisplayText(list.at(first).name))
                               : tr("Added %n stations", nullptr, last - first + 1));
    });
    connect(&list, &StationList::rowsAboutToBeRemoved, this, [this, &list](const QModelIndex&, int first, int last) {
        if (first == last)
            announce(tr("Deleted %1").arg(cleanDisplayText(list.at(first).name)));
    });
}

TunaraApp::~TunaraApp()
{
    // Views go before the engine they were made with.
    panel_.reset();
    settings_.reset();
    history_.reset();
    engine_.reset();
}

void TunaraApp::start(std::unique_ptr<TrayIcon> trayIcon, bool minimised)
{
    trayIcon_ = std::move(trayIcon);
    inTray_ = trayIcon_ != nullptr;
    if (!inTray_ && minimised) {
        panel().showMinimized();
        return;
    }
    if (!inTray_) {
        showPanel();
        return;
    }
    constexpr int volumeToolTipMilliseconds = 1500;
    volumeToolTipShown_.setSingleShot(true);
    volumeToolTipShown_.setInterval(volumeToolTipMilliseconds);
    connect(&volumeToolTipShown_, &QTimer::timeout, this, &TunaraApp::updateTrayIcon);
    connect(trayIcon_.get(), &TrayIcon::activated, this, &TunaraApp::togglePanel);
    connect(trayIcon_.get(), &TrayIcon::secondaryActivated, &store_, &Store::togglePlayPause);
    connect(trayIcon_.get(), &TrayIcon::volumeNotches, this, &TunaraApp::turnVolume);
    for (const auto change : {&Store::playingStatusChanged, &Store::selectedStationChanged, &Store::trackChanged,
                              &Store::stationsChanged})
        connect(&store_, change, this, &TunaraApp::updateTrayIcon);
    connect(&store_.player(), &PlaybackController::streamDetailsChanged, this, &TunaraApp::updateTrayIcon);
    connect(&store_.sleepTimer(), &SleepTimer::changed, this, &TunaraApp::updateTrayIcon);
    updateTrayIcon();
}

QQmlEngine& TunaraApp::engine()
{
    if (!engine_) {
        engine_ = std::make_unique<QQmlEngine>();
        engine_->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine_->addImageProvider(QString::fromLatin1(SymbolImageProvider::providerId), new SymbolImageProvider);
    }
    return *engine_;
}

std::unique_ptr<QQuickView> TunaraApp::makeView(const QString& component, QVariantMap properties)
{
    auto view = std::make_unique<QQuickView>(&engine(), nullptr);
    properties.insert(QStringLiteral("store"), QVariant::fromValue(&viewModel_));
    properties.insert(QStringLiteral("app"), QVariant::fromValue(&commands_));
    view->setInitialProperties(properties);
    view->setSource(QUrl(moduleDirectory + component + QStringLiteral(".qml")));
    if (view->status() == QQuickView::Error) {
        for (const QQmlError& error : view->errors())
            qWarning("%s", qPrintable(error.toString()));
    }
    // Controls made in a new window start from their style's own palette,
    // not the application's (set from the desktop's light or dark
    // preference); they take the application's when it changes, as now.
    QEvent paletteChange(QEvent::ApplicationPaletteChange);
    QCoreApplication::sendEvent(view.get(), &paletteChange);
    return view;
}

QQuickView& TunaraApp::panel()
{
    if (!panel_) {
        panel_ = makeView(QStringLiteral("TrayPanel"));
        panel_->setResizeMode(QQuickView::SizeViewToRootObject);
        panel_->setTitle(QStringLiteral("Tunara"));
        if (inTray_) {
            panel_->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
            connect(panel_.get(), &QWindow::activeChanged, this, &TunaraApp::followPanelFocus);
            // A fixed size: tiling window managers (sway, i3) float such a
            // window rather than tile it across the workspace.
            const auto fixSize = [this] {
                const QSize size(qCeil(panel_->rootObject()->width()), qCeil(panel_->rootObject()->height()));
                panel_->setMinimumSize(size);
                panel_->setMaximumSize(size);
                panel_->resize(size);
                if (panel_->isVisible())
                    placePanel();
            };
            if (QQuickItem* root = panel_->rootObject()) {
                connect(root, &QQuickItem::widthChanged, this, fixSize);
                connect(root, &QQuickItem::heightChanged, this, fixSize);
                fixSize();
            }
        } else {
            // The only window of the program: closing it ends the program.
            panel_->installEventFilter(this);
        }
    }
    return *panel_;
}

std::unique_ptr<QQuickView> TunaraApp::makeWindow(const QString& component, const QString& title, QVariantMap properties,
                                                 QSize minimum, QSize size)
{
    std::unique_ptr<QQuickView> view = makeView(component, std::move(properties));
    view->setResizeMode(QQuickView::SizeRootObjectToView);
    view->setTitle(title);
    view->setMinimumSize(minimum);
    view->resize(size);
    return view;
}

QQuickView& TunaraApp::settings()
{
    if (!settings_) {
        settings_ = makeWindow(QStringLiteral("SettingsView"), tr("Settings"),
                               {{QStringLiteral("settings"), QVariant::fromValue(&settingsModel_)}}, {400, 250}, {500, 350});
    }
    return *settings_;
}

QQuickView& TunaraApp::history()
{
    if (!history_) {
        history_ = makeWindow(QStringLiteral("RecentlyPlayedView"), tr("Recently Played"),
                              {{QStringLiteral("history"), QVariant::fromValue(&historyModel_)}}, {300, 200}, {420, 360});
    }
    return *history_;
}

bool TunaraApp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == panel_.get() && event->type() == QEvent::Close)
        quit();
    return QObject::eventFilter(watched, event);
}

void TunaraApp::turnVolume(int notches)
{
    store_.changeVolume(notches * Store::volumeStep);
    trayIcon_->setLook({store_.playingStatus() == PlayingStatus::playing,
                        StatusWording::volumeToolTip(store_.volume())});
    // Then back to what the icon says about the station.
    volumeToolTipShown_.start();
}

void TunaraApp::togglePanel()
{
    const bool closedByThisClick = sincePanelLostFocus_.isValid()
                                   && sincePanelLostFocus_.elapsed() < focusLossGraceMilliseconds;
    if ((panel_ && panel_->isVisible()) || closedByThisClick) {
        sincePanelLostFocus_.invalidate();
        hidePanel();
        return;
    }
    showPanel();
}

void TunaraApp::showPanel()
{
    QQuickView& view = panel();
    if (inTray_) {
        const QRect iconGeometry = trayIcon_ ? trayIcon_->geometry() : QRect();
        panelAnchor_ = iconGeometry.isEmpty() ? QRect(QCursor::pos(), QSize(1, 1)) : iconGeometry;
        placePanel();
    }
    bringForward(view);
    emit panelShown();
}

void TunaraApp::hidePanel()
{
    if (inTray_ && panel_)
        panel_->hide();
}

void TunaraApp::placePanel()
{
    QScreen* screen = QGuiApplication::screenAt(panelAnchor_.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    panel_->setPosition(panelPosition(panelAnchor_, panelAnchor_.topLeft(), panel_->size(), screen->availableGeometry()));
}

void TunaraApp::followPanelFocus()
{
    if (!panel_->isActive() && panel_->isVisible()) {
        sincePanelLostFocus_.start();
        panel_->hide();
    }
}

void TunaraApp::bringForward(QQuickView& view)
{
    view.show();
    view.raise();
    view.requestActivate();
}

void TunaraApp::backToPanel(QQuickView* window)
{
    if (window)
        window->hide();
    showPanel();
}

void TunaraApp::openSettings()
{
    bringForward(settings());
}

void TunaraApp::closeSettings()
{
    backToPanel(settings_.get());
}

void TunaraApp::openHistory()
{
    bringForward(history());
}

void TunaraApp::closeHistory()
{
    backToPanel(history_.get());
}

void TunaraApp::quit()
{
    emit quitRequested();
}

void TunaraApp::updateTrayIcon()
{
    if (!volumeToolTipShown_.isActive())
        trayIcon_->setLook({store_.playingStatus() == PlayingStatus::playing,
                            StatusWording::trayToolTip(store_.selectedStation(), store_.playingStatus(),
                                                       store_.track(), store_.player().streamDetails(),
                                                       store_.sleepTimer().remainingMinutes())});
    trayIcon_->setMenu(trayMenu());
}

TrayMenu TunaraApp::trayMenu()
{
    const auto entry = [](const QString& label, std::function<void()> trigger, QKeySequence shortcut = {}) {
        TrayMenuItem item;
        item.label = label;
        item.trigger = std::move(trigger);
        item.shortcut = std::move(shortcut);
        return item;
    };
    // What a tray that opens the menu on a left click needs: play or
    // pause, the stations, the panel, Settings and Quit.
    const PlayingStatus status = store_.playingStatus();
    const bool wantsToPlay = status != PlayingStatus::paused && status != PlayingStatus::error;
    const std::optional<Station> selected = store_.selectedStation();
    TrayMenu menu{entry(wantsToPlay ? tr("Pause") : tr("Play"),
                        [this] { store_.togglePlayPause(); }),
                  TrayMenuItem()};
    menu.first().enabled = selected.has_value();
    for (const Station& station : store_.stations()) {
        TrayMenuItem item = entry(cleanDisplayText(station.name), [this, id = station.id] { store_.playStation(id); });
        item.radio = true;
        item.checked = selected && selected->id == station.id;
        menu.append(item);
    }
    if (!store_.stations().isEmpty())
        menu.append(TrayMenuItem());
    menu.append(entry(tr("Open Tunara"), [this] { showPanel(); }));
    menu.append(entry(tr("Sleep Timer…"), [this] {
        showPanel();
        commands_.chooseSleepTimer();
    }));
    menu.append(entry(tr("Recently Played…"), [this] { openHistory(); }));
    menu.append(entry(tr("Settings…"), [this] { openSettings(); }, KeyHints::settingsSequence()));
    menu.append(TrayMenuItem());
    menu.append(entry(tr("Quit Tunara"), [this] { quit(); }, KeyHints::quitSequence()));
    return menu;
}

} // namespace tunara
