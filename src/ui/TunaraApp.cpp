#include "TunaraApp.h"

#include "KeyHints.h"
#include "PanelPlacement.h"
#include "SymbolImageProvider.h"
#include "StatusWording.h"
#include "model/Store.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QQmlEngine>
#include <QQuickView>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QToolTip>
#include <QWheelEvent>

namespace tunara {

namespace {

const QString moduleDirectory = QStringLiteral("qrc:/qt/qml/Tunara/qml/");

// A click on the tray icon first takes the focus from the open panel,
// which closes it; the click itself arrives just after. Within this time
// it is taken as the click that closed the panel.
constexpr qint64 focusLossGraceMilliseconds = 300;

} // namespace

TunaraApp::TunaraApp(Store& store, QObject* parent)
    : QObject(parent)
    , store_(store)
    , viewModel_(store)
    , settingsModel_(store)
{
    connect(&commands_, &AppCommands::settingsRequested, this, &TunaraApp::openSettings);
    connect(&commands_, &AppCommands::quitRequested, this, &TunaraApp::quit);
    connect(&commands_, &AppCommands::panelDismissRequested, this, &TunaraApp::hidePanel);
}

TunaraApp::~TunaraApp()
{
    // Views go before the engine they were made with.
    panel_.reset();
    settings_.reset();
    engine_.reset();
}

TunaraApp::Presentation TunaraApp::presentationForThisDesktop()
{
    return QSystemTrayIcon::isSystemTrayAvailable() ? Presentation::trayIcon : Presentation::window;
}

void TunaraApp::start(Presentation presentation)
{
    presentation_ = presentation;
    if (presentation_ == Presentation::trayIcon)
        createTrayIcon();
    else
        showPanel();
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
    return view;
}

QQuickView& TunaraApp::panel()
{
    if (!panel_) {
        panel_ = makeView(QStringLiteral("TrayPanel"));
        panel_->setResizeMode(QQuickView::SizeViewToRootObject);
        panel_->setTitle(QStringLiteral("Tunara"));
        if (presentation_ == Presentation::trayIcon) {
            panel_->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
            connect(panel_.get(), &QWindow::activeChanged, this, &TunaraApp::followPanelFocus);
            connect(panel_.get(), &QWindow::heightChanged, this, [this] {
                if (panel_->isVisible())
                    placePanel();
            });
        } else {
            // The only window of the program: closing it ends the program.
            panel_->installEventFilter(this);
        }
    }
    return *panel_;
}

QQuickView& TunaraApp::settings()
{
    if (!settings_) {
        settings_ = makeView(QStringLiteral("SettingsView"),
                             {{QStringLiteral("settings"), QVariant::fromValue(&settingsModel_)}});
        settings_->setResizeMode(QQuickView::SizeRootObjectToView);
        settings_->setTitle(QStringLiteral("Settings"));
        settings_->setMinimumSize(QSize(400, 250));
        settings_->resize(500, 350);
    }
    return *settings_;
}

bool TunaraApp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == panel_.get() && event->type() == QEvent::Close)
        quit();
    // The tray host hands wheel events over the icon to the icon.
    if (watched == trayIcon_.get() && event->type() == QEvent::Wheel) {
        turnVolumeWheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TunaraApp::turnVolumeWheel(int angleDelta)
{
    // A notch is 120; touchpads send smaller parts of one.
    constexpr int notch = 120;
    wheelRemainder_ += angleDelta;
    const int notches = wheelRemainder_ / notch;
    wheelRemainder_ -= notches * notch;
    if (notches == 0)
        return;
    store_.changeVolume(notches * Store::volumeStep);
    const QString text = StatusWording::volumeToolTip(store_.volume());
    trayIcon_->setToolTip(text);
    if (trayIcon_->geometry().isValid())
        QToolTip::showText(QCursor::pos(), text);
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
    if (presentation_ == Presentation::trayIcon) {
        const QRect iconGeometry = trayIcon_ ? trayIcon_->geometry() : QRect();
        panelAnchor_ = iconGeometry.isEmpty() ? QRect(QCursor::pos(), QSize(1, 1)) : iconGeometry;
        placePanel();
    }
    view.show();
    view.raise();
    view.requestActivate();
    emit panelShown();
}

void TunaraApp::hidePanel()
{
    if (presentation_ == Presentation::trayIcon && panel_)
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

void TunaraApp::openSettings()
{
    QQuickView& view = settings();
    view.show();
    view.raise();
    view.requestActivate();
}

void TunaraApp::quit()
{
    emit quitRequested();
}

void TunaraApp::createTrayIcon()
{
    trayMenu_ = std::make_unique<QMenu>();
    QAction* settingsAction = trayMenu_->addAction(QStringLiteral("Settings…"), this, &TunaraApp::openSettings);
    settingsAction->setShortcut(KeyHints::settingsSequence());
    settingsAction->setShortcutVisibleInContextMenu(true);
    QAction* quitAction = trayMenu_->addAction(QStringLiteral("Quit Tunara"), this, &TunaraApp::quit);
    quitAction->setShortcut(KeyHints::quitSequence());
    quitAction->setShortcutVisibleInContextMenu(true);

    trayIcon_ = std::make_unique<QSystemTrayIcon>();
    trayIcon_->setContextMenu(trayMenu_.get());
    trayIcon_->installEventFilter(this);
    constexpr int volumeToolTipMilliseconds = 1500;
    volumeToolTipShown_.setSingleShot(true);
    volumeToolTipShown_.setInterval(volumeToolTipMilliseconds);
    connect(&volumeToolTipShown_, &QTimer::timeout, this, &TunaraApp::updateTrayIcon);
    connect(trayIcon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            togglePanel();
    });
    connect(&store_, &Store::playingStatusChanged, this, &TunaraApp::updateTrayIcon);
    connect(&store_, &Store::selectedStationChanged, this, &TunaraApp::updateTrayIcon);
    connect(&store_, &Store::trackChanged, this, &TunaraApp::updateTrayIcon);
    updateTrayIcon();
    trayIcon_->show();
}

void TunaraApp::updateTrayIcon()
{
    const QString path = StatusWording::trayIconPath(store_.playingStatus());
    if (path != trayIconPath_) {
        trayIconPath_ = path;
        // One icon per image for the whole run: each new icon would draw and
        // cache its pixmaps anew, and the cache would fill with copies.
        auto icon = trayIcons_.find(path);
        if (icon == trayIcons_.end())
            icon = trayIcons_.insert(path, QIcon(path));
        trayIcon_->setIcon(*icon);
    }
    if (!volumeToolTipShown_.isActive())
        trayIcon_->setToolTip(
            StatusWording::trayToolTip(store_.selectedStation(), store_.playingStatus(), store_.track()));
}

} // namespace tunara
