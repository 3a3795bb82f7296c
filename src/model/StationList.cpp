#include "StationList.h"

#include <algorithm>

namespace tunara {

StationList::StationList(QList<AudioStream> stations, QObject* parent)
    : QAbstractListModel(parent)
    , stations_(std::move(stations))
{
}

int StationList::rowOf(const QUuid& id) const
{
    const auto found = std::find_if(stations_.cbegin(), stations_.cend(),
                                    [&](const AudioStream& station) { return station.id == id; });
    return found == stations_.cend() ? -1 : int(found - stations_.cbegin());
}

const AudioStream* StationList::find(const QUuid& id) const
{
    const int row = rowOf(id);
    return row < 0 ? nullptr : &stations_.at(row);
}

void StationList::append(const QList<AudioStream>& stations)
{
    if (stations.isEmpty())
        return;
    const int first = int(stations_.size());
    beginInsertRows({}, first, first + int(stations.size()) - 1);
    stations_.append(stations);
    endInsertRows();
}

void StationList::replace(int row, const AudioStream& station)
{
    QList<int> roles;
    if (station.name != stations_.at(row).name)
        roles << Qt::DisplayRole << NameRole;
    if (station.url != stations_.at(row).url)
        roles << UrlRole;
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

    // The order wanted, then one row moved at a time into its place.
    QList<AudioStream> wanted = stations_;
    QList<AudioStream> moved;
    for (auto it = sources.crbegin(); it != sources.crend(); ++it)
        moved.prepend(wanted.takeAt(*it));
    const auto before = std::count_if(sources.cbegin(), sources.cend(), [&](int row) { return row < destination; });
    for (qsizetype i = 0; i < moved.size(); ++i)
        wanted.insert(destination - before + i, moved.at(i));

    for (int row = 0; row < wanted.size(); ++row) {
        if (stations_.at(row).id == wanted.at(row).id)
            continue;
        const int from = rowOf(wanted.at(row).id);
        beginMoveRows({}, from, from, {}, row);
        stations_.move(from, row);
        endMoveRows();
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
    const AudioStream& station = stations_.at(index.row());
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
