#pragma once

#include "LogoFinder.h"
#include "model/AppSettings.h"

#include <QObject>
#include <QString>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace tunara {

class Store;

// The Settings window without its window: the selected station, what the
// keys do to it, where a dragged row lands, and which sheet or dialog is
// open for which station. The view draws, scrolls and focuses; it asks
// this model for every decision and calls one method per user intent.
class SettingsViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the application")
    Q_PROPERTY(QString selection READ selection WRITE select NOTIFY selectionChanged)
    Q_PROPERTY(bool hasSelection READ hasSelection NOTIFY selectionChanged)
    Q_PROPERTY(Sheet sheet READ sheet NOTIFY sheetChanged)
    Q_PROPERTY(QString sheetStation READ sheetStation NOTIFY sheetChanged)
    Q_PROPERTY(QString presetURL READ presetURL NOTIFY sheetChanged)
    Q_PROPERTY(QString deleteMessage READ deleteMessage NOTIFY sheetChanged)
    Q_PROPERTY(int dragFrom READ dragFrom NOTIFY dragChanged)
    Q_PROPERTY(int dropIndex READ dropIndex NOTIFY dragChanged)
    Q_PROPERTY(bool startsAtLogin READ startsAtLogin WRITE setStartsAtLogin NOTIFY startsAtLoginChanged)
    Q_PROPERTY(bool playsLastStationAtStart READ playsLastStationAtStart WRITE setPlaysLastStationAtStart NOTIFY
                   playsLastStationAtStartChanged)
    Q_PROPERTY(bool notifiesTracks READ notifiesTracks WRITE setNotifiesTracks NOTIFY desktopOptionsChanged)
    Q_PROPERTY(bool keepsAwakeWhilePlaying READ keepsAwakeWhilePlaying WRITE setKeepsAwakeWhilePlaying NOTIFY
                   desktopOptionsChanged)
    Q_PROPERTY(bool keepsHistory READ keepsHistory WRITE setKeepsHistory NOTIFY desktopOptionsChanged)
    Q_PROPERTY(tunara::LogoFinder* logoFinder READ logoFinder CONSTANT)

public:
    // What is open over the list.
    enum class Sheet { None, Adding, Editing, ConfirmingDelete };
    Q_ENUM(Sheet)

    explicit SettingsViewModel(Store& store, QObject* parent = nullptr);

    // "Start Tunara at login" and "Play the last station at start".
    bool startsAtLogin() const;
    void setStartsAtLogin(bool starts);
    bool playsLastStationAtStart() const;
    void setPlaysLastStationAtStart(bool plays);
    // "Notify new tracks", "Keep the computer awake while playing" and
    // "Keep a history of played tracks".
    bool notifiesTracks() const { return option(&AppSettings::DesktopOptions::notifiesTracks); }
    void setNotifiesTracks(bool notifies) { setOption(&AppSettings::DesktopOptions::notifiesTracks, notifies); }
    bool keepsAwakeWhilePlaying() const { return option(&AppSettings::DesktopOptions::keepsAwakeWhilePlaying); }
    void setKeepsAwakeWhilePlaying(bool keepsAwake)
    {
        setOption(&AppSettings::DesktopOptions::keepsAwakeWhilePlaying, keepsAwake);
    }
    // "Find Logos".
    LogoFinder* logoFinder() { return &logoFinder_; }
    bool keepsHistory() const { return option(&AppSettings::DesktopOptions::keepsHistory); }
    void setKeepsHistory(bool keeps) { setOption(&AppSettings::DesktopOptions::keepsHistory, keeps); }

    // The selected station's id; empty for none.
    QString selection() const;
    bool hasSelection() const { return selectedId_.has_value(); }
    // Selects a station by id (empty: none); the view shows its row.
    void select(const QString& stationId);
    Q_INVOKABLE void selectRow(int row);

    // A key pressed in the list; false when it means nothing here.
    // rowsPerPage: how many rows Page Up and Page Down move.
    Q_INVOKABLE bool pressKey(int key, int modifiers, int rowsPerPage);

    Sheet sheet() const { return sheet_; }
    // The station the edit sheet or the delete dialog is for.
    QString sheetStation() const;
    QString presetURL() const { return presetURL_; }
    QString deleteMessage() const;

    Q_INVOKABLE void add();
    // Find Stations, asked for from outside the window.
    void find() { emit findRequested(); }
    // The add sheet with a pasted URL; nothing for empty text.
    Q_INVOKABLE void addPasted(const QString& urlText);
    // A station that is gone, or none, opens nothing.
    Q_INVOKABLE void edit(const QString& stationId);
    Q_INVOKABLE void askToDelete(const QString& stationId);
    Q_INVOKABLE void confirmDeletion();
    // The sheet or dialog closed; a station just saved becomes the selection.
    Q_INVOKABLE void sheetClosed(const QString& savedStationId = {});

    // Dragging a row: where it would land is a position before which it is
    // inserted (-1 while nothing is dragged).
    int dragFrom() const { return dragFrom_; }
    int dropIndex() const { return dropIndex_; }
    Q_INVOKABLE void startDrag(int row);
    // The pointer is over a row (in its lower half or not), or before the
    // first row (row -1) or after the last (row = the count).
    Q_INVOKABLE void dragOver(int row, bool lowerHalf);
    Q_INVOKABLE void drop();
    Q_INVOKABLE void cancelDrag();

signals:
    void startsAtLoginChanged();
    void playsLastStationAtStartChanged();
    void desktopOptionsChanged();
    void selectionChanged();
    void sheetChanged();
    void dragChanged();
    // The view should show this row.
    void revealRequested(int row);
    // The Menu key or Shift+F10: the row menu for the selected station.
    void menuRequested(const QString& stationId);
    void findRequested();

private:
    bool option(bool AppSettings::DesktopOptions::*option) const;
    void setOption(bool AppSettings::DesktopOptions::*option, bool value);
    int selectedRow() const;
    int count() const;
    void selectAt(int row);
    void moveSelection(int step);
    void moveSelectedStation(int step);
    void moveRow(int from, int destination);
    void open(Sheet sheet, std::optional<QUuid> station, const QString& presetURL = {});

    Store& store_;
    LogoFinder logoFinder_{store_};
    std::optional<QUuid> selectedId_;
    Sheet sheet_ = Sheet::None;
    std::optional<QUuid> sheetStation_;
    QString presetURL_;
    int dragFrom_ = -1;
    int dropIndex_ = -1;
};

} // namespace tunara
