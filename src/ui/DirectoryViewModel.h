#pragma once

#include "StoreViewModel.h"
#include "model/directory/DirectoryStation.h"
#include "model/directory/StationDirectory.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace tunara {

class Store;

// The Find Stations sheet: searches the station directory as the user
// types and adds a result to the station list. The rows are the stations
// found, in the directory's order; a station whose URL is in the list
// already is marked as such and is not added again. Nothing of the
// directory's client exists before the first search.
class DirectoryViewModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(tunara::StoreViewModel* store READ storeViewModel WRITE setStore NOTIFY storeChanged REQUIRED)
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(bool searchByTag READ searchByTag WRITE setSearchByTag NOTIFY searchByTagChanged)
    Q_PROPERTY(bool searching READ searching NOTIFY stateChanged)
    // What the sheet says instead of rows: a hint, "Searching…", "No
    // stations found" or what went wrong; empty while rows are shown.
    Q_PROPERTY(QString message READ message NOTIFY stateChanged)
    Q_PROPERTY(int count READ count NOTIFY stateChanged)

public:
    enum Role { NameRole = Qt::UserRole + 1, DetailsRole, TagsRole, InListRole };

    // Pause after a keystroke before the search starts.
    static constexpr int debounceMilliseconds = 300;

    explicit DirectoryViewModel(QObject* parent = nullptr);
    ~DirectoryViewModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    StoreViewModel* storeViewModel() const { return storeViewModel_; }
    void setStore(StoreViewModel* store);
    QString query() const { return query_; }
    void setQuery(const QString& query);
    bool searchByTag() const { return searchByTag_; }
    void setSearchByTag(bool byTag);
    bool searching() const { return state_ == State::searching; }
    QString message() const;
    int count() const { return rowCount(); }

    // Return in the search field: search now, without the pause.
    Q_INVOKABLE void searchNow();
    // Adds the station of the row to the end of the list; false when it is
    // there already or the row is gone.
    Q_INVOKABLE bool addStation(int row);

signals:
    void storeChanged();
    void queryChanged();
    void searchByTagChanged();
    void stateChanged();
    // The new station's id, for the list to select it.
    void stationAdded(const QString& stationId);

private:
    enum class State { idle, searching, found, failed };

    void scheduleSearch();
    void showStations(const QList<DirectoryStation>& stations);
    void showFailure(DirectoryFailure failure);
    void setState(State state);
    bool isInList(const DirectoryStation& station) const;
    void followStore();

    StoreViewModel* storeViewModel_ = nullptr;
    Store* store_ = nullptr;
    std::unique_ptr<StationDirectory> directory_;
    QTimer debounce_;
    QString query_;
    bool searchByTag_ = false;
    State state_ = State::idle;
    DirectoryFailure failure_ = DirectoryFailure::unreachable;
    QList<DirectoryStation> stations_;
    QList<bool> inList_;
};

} // namespace tunara
