#include "StationList.h"

#include <algorithm>

namespace tunara {

StationList::StationList(QList<Station> stations, QObject* parent)
    : QAbstractListModel(parent)
    , stations_(std::move(stations))
{
}

int StationList::rowOf(const QUuid& id) const
{
    const auto found = std::find_if(stations_.cbegin(), stations_.cend(),
                                    [&](const Station& station) { return station.id == id; });
    return found == stations_.cend() ? -1 : int(found - stations_.cbegin());
}

const Station* StationList::find(const QUuid& id) const
{
    const int row = rowOf(id);
    return row < 0 ? nullptr : &stations_.at(row);
}

void StationList::append(const QList<Station>& stations)
{
    if (stations.isEmpty())
        return;
    const int first = int(stations_.size());
    beginInsertRows({}, first, first + int(stations.size()) - 1);
    stations_.append(stations);
    endInsertRows();
}

void StationList::replace(int row, const Station& station)
{
    QList<int> roles;
    if (station.name != stations_.at(row).name)
        roles << Qt::DisplayRole << NameRole;
    if (station.url != stations_.at(row).url)
        roles << UrlRole;
    if (station.logo != stations_.at(row).logo)
        roles << LogoRole;
    stations_[row] = station;
    if (!roles.isEmpty())
        emit dataChanged(index(row), index(row), roles);
}

void StationList::remove(int row)
{
    beginRemoveRows({}, row, row);
    stations_.removeAt(row);
    endRemoveRows();
}

void StationList::move(const QList<int>& rows, int destination)
{
    QList<int> sources;
    for (int row : rows) {
        if (row >= 0 && row < stations_.size() && !sources.contains(row))
            sources.append(row);
    }
    std::sort(sources.begin(), sources.end());
    destination = std::clamp(destination, 0, int(stations_.size()));

    // The other stations keep their order; the moved ones follow the last
    // of them that stands before the destination, each right after the one
    // before it: one row move each.
    QList<QUuid> moved;
    QUuid previous; // none: the front of the list
    for (int row = 0; row < stations_.size(); ++row) {
        if (sources.contains(row))
            moved.append(stations_.at(row).id);
        else if (row < destination)
            previous = stations_.at(row).id;
    }
    for (const QUuid& id : std::as_const(moved)) {
        const int from = rowOf(id);
        const int after = previous.isNull() ? -1 : rowOf(previous);
        if (from != after + 1) {
            beginMoveRows({}, from, from, {}, after + 1);
            stations_.move(from, from > after ? after + 1 : after);
            endMoveRows();
        }
        previous = id;
    }
}

int StationList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(stations_.size());
}

QVariant StationList::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Station& station = stations_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole: return station.name;
    case IdRole: return station.id;
    case UrlRole: return station.url;
    default: return {};
    }
}

QHash<int, QByteArray> StationList::roleNames() const
{
    return {{IdRole, "stationId"}, {NameRole, "name"}, {UrlRole, "url"}};
}

} // namespace tunara
