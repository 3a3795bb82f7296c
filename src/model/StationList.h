#pragma once

#include "Station.h"

#include <QAbstractListModel>
#include <QList>
#include <QUuid>

namespace tunara {

// The stations in the user's order: the one place the list is kept. As a
// Qt list model it announces every change by its rows (inserted, removed,
// moved, changed), which the views and the desktop's media widgets follow.
class StationList final : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { IdRole = Qt::UserRole + 1, NameRole, UrlRole, LogoRole };

    explicit StationList(QList<Station> stations = {}, QObject* parent = nullptr);

    const QList<Station>& all() const { return stations_; }
    qsizetype size() const { return stations_.size(); }
    const Station& at(qsizetype row) const { return stations_.at(row); }
    // The row of the station with this id; -1 when there is none.
    int rowOf(const QUuid& id) const;
    const Station* find(const QUuid& id) const;

    void append(const QList<Station>& stations);
    // dataChanged names the roles that changed: the name, the URL.
    void replace(int row, const Station& station);
    void remove(int row);
    // The stations at these rows, in their order, come to stand before the
    // one at destination (counted before the move). Rows outside the list
    // are ignored.
    void move(const QList<int>& rows, int destination);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<Station> stations_;
};

} // namespace tunara
