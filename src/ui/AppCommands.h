#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace tunara {

// The program-level commands the views trigger (open Settings, quit), the
// key hints drawn next to them, and the clipboard read for a pasted URL.
class AppCommands : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the application")
    Q_PROPERTY(QString settingsHint READ settingsHint CONSTANT)
    Q_PROPERTY(QString quitHint READ quitHint CONSTANT)

public:
    using QObject::QObject;

    QString settingsHint() const;
    QString quitHint() const;

    Q_INVOKABLE void openSettings() { emit settingsRequested(); }
    Q_INVOKABLE void quit() { emit quitRequested(); }
    // Escape in the panel.
    Q_INVOKABLE void dismissPanel() { emit panelDismissRequested(); }
    // Escape or Ctrl+W in Settings: back to the panel, the one way back
    // for a keyboard, which cannot reach the tray icon.
    Q_INVOKABLE void closeSettings() { emit settingsCloseRequested(); }
    // Ctrl+F and Ctrl+N in the panel: Settings, with Find Stations or the
    // add sheet open, the first steps of a first run.
    Q_INVOKABLE void findStations() { emit findStationsRequested(); }
    // The tray menu's Sleep Timer…: the panel shows its choices.
    void chooseSleepTimer() { emit sleepTimerChoiceRequested(); }
    Q_INVOKABLE void addStation() { emit addStationRequested(); }
    // Ctrl+H in the panel, the tray menu's Recently Played…; Escape or
    // Ctrl+W there returns to the panel.
    Q_INVOKABLE void openHistory() { emit historyRequested(); }
    Q_INVOKABLE void closeHistory() { emit historyCloseRequested(); }
    // The stream URL on the clipboard, trimmed; empty when there is none.
    Q_INVOKABLE QString pastedStreamURL() const;

signals:
    void settingsRequested();
    void quitRequested();
    void panelDismissRequested();
    void settingsCloseRequested();
    void findStationsRequested();
    void addStationRequested();
    void sleepTimerChoiceRequested();
    void historyRequested();
    void historyCloseRequested();
};

} // namespace tunara
