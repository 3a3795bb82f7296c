#pragma once

#include "AppCommands.h"
#include "HistoryListModel.h"
#include "SettingsViewModel.h"
#include "StoreViewModel.h"
#include "model/logos/StationLogos.h"
#include "tray/TrayIcon.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QRect>

#include <memory>

class QQmlEngine;
class QQuickView;

namespace tunara {

class Store;
class TrackHistory;

// The application shell: the tray icon with its tooltip and menu, the
// panel that opens under it, and the Settings window. Without a tray the
// panel is an ordinary window, and closing it quits. Windows are created on
// first use.
class TunaraApp final : public QObject {
    Q_OBJECT

public:
    TunaraApp(Store& store, TrackHistory& history, QObject* parent = nullptr);
    ~TunaraApp() override;

    // In the tray when there is an icon, as a window otherwise (minimised,
    // without taking the focus, when asked).
    void start(std::unique_ptr<TrayIcon> trayIcon, bool minimised = false);

    // A left click on the tray icon: opens the panel, or closes it when it
    // is open (or was closed by this very click taking the focus away).
    void togglePanel();
    void showPanel();
    void hidePanel();
    void openSettings();
    // Settings closed from the keyboard: the panel comes back.
    void closeSettings();
    // The Recently Played window; closed from the keyboard, the panel
    // comes back.
    void openHistory();
    void closeHistory();
    void quit();

    // For tests and the screenshot tool.
    QQmlEngine& engine();
    QQuickView& panel();
    QQuickView& settings();
    QQuickView& history();
    bool hasPanel() const { return panel_ != nullptr; }
    bool hasSettings() const { return settings_ != nullptr; }
    TrayIcon* trayIcon() const { return trayIcon_.get(); }
    StoreViewModel& viewModel() { return viewModel_; }
    StationLogos& logos() { return logos_; }
    SettingsViewModel& settingsModel() { return settingsModel_; }
    AppCommands& commands() { return commands_; }

signals:
    void quitRequested();
    void panelShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void announceChanges();
    std::unique_ptr<QQuickView> makeView(const QString& component, QVariantMap properties = {});
    // A window of its own (Settings, Recently Played), resizable.
    std::unique_ptr<QQuickView> makeWindow(const QString& component, const QString& title, QVariantMap properties,
                                           QSize minimum, QSize size);
    static void bringForward(QQuickView& view);
    // Hides the window, closed from the keyboard: the panel comes back.
    void backToPanel(QQuickView* window);
    void turnVolume(int notches);
    void updateTrayIcon();
    TrayMenu trayMenu();
    void placePanel();
    void followPanelFocus();

    Store& store_;
    StationLogos logos_;
    StoreViewModel viewModel_;
    SettingsViewModel settingsModel_;
    HistoryListModel historyModel_;
    AppCommands commands_;

    // The engine outlives the views made with it.
    std::unique_ptr<QQmlEngine> engine_;
    std::unique_ptr<QQuickView> panel_;
    std::unique_ptr<QQuickView> settings_;
    std::unique_ptr<QQuickView> history_;
    bool inTray_ = true;
    std::unique_ptr<TrayIcon> trayIcon_;
    QTimer volumeToolTipShown_;

    QRect panelAnchor_;
    QElapsedTimer sincePanelLostFocus_;
};

} // namespace tunara
