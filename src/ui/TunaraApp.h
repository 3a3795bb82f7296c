#pragma once

#include "AppCommands.h"
#include "SettingsViewModel.h"
#include "StoreViewModel.h"

#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <QTimer>
#include <QRect>

#include <memory>

class QMenu;
class QQmlEngine;
class QQuickView;
class QSystemTrayIcon;

namespace tunara {

class Store;

// The application shell: the tray icon with its tooltip and context menu,
// the panel that opens under it, and the Settings window. Without a tray
// the panel is an ordinary window, and closing it quits. Windows are
// created on first use.
class TunaraApp final : public QObject {
    Q_OBJECT

public:
    enum class Presentation { trayIcon, window };

    explicit TunaraApp(Store& store, QObject* parent = nullptr);
    ~TunaraApp() override;

    // The tray icon where the desktop has a tray, the window otherwise.
    static Presentation presentationForThisDesktop();
    void start(Presentation presentation);

    // A left click on the tray icon: opens the panel, or closes it when it
    // is open (or was closed by this very click taking the focus away).
    void togglePanel();
    void showPanel();
    void hidePanel();
    void openSettings();
    void quit();

    // For tests and the screenshot tool.
    QQmlEngine& engine();
    QQuickView& panel();
    QQuickView& settings();
    bool hasPanel() const { return panel_ != nullptr; }
    bool hasSettings() const { return settings_ != nullptr; }
    QSystemTrayIcon* trayIcon() const { return trayIcon_.get(); }
    StoreViewModel& viewModel() { return viewModel_; }
    SettingsViewModel& settingsModel() { return settingsModel_; }
    AppCommands& commands() { return commands_; }

signals:
    void quitRequested();
    void panelShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<QQuickView> makeView(const QString& component, QVariantMap properties = {});
    void createTrayIcon();
    void turnVolumeWheel(int angleDelta);
    void updateTrayIcon();
    void placePanel();
    void followPanelFocus();

    Store& store_;
    StoreViewModel viewModel_;
    SettingsViewModel settingsModel_;
    AppCommands commands_;
    Presentation presentation_ = Presentation::trayIcon;

    // The engine outlives the views made with it.
    std::unique_ptr<QQmlEngine> engine_;
    std::unique_ptr<QQuickView> panel_;
    std::unique_ptr<QQuickView> settings_;
    std::unique_ptr<QMenu> trayMenu_;
    std::unique_ptr<QSystemTrayIcon> trayIcon_;
    int wheelRemainder_ = 0;
    QTimer volumeToolTipShown_;
    QString trayIconPath_;
    QHash<QString, QIcon> trayIcons_;

    QRect panelAnchor_;
    QElapsedTimer sincePanelLostFocus_;
};

} // namespace tunara
