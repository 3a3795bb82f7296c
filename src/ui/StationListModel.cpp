#include "StationListModel.h"

#include "KeyHints.h"
#include "model/Store.h"
#include "common/DisplayText.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace tunara {

namespace {

QList<QUuid> firstIds(const QList<AudioStream>& rows, qsizetype count)
{
    QList<QUuid> ids;
    for (qsizetype row = 0; row < std::min(count, rows.size()); ++row)
        ids.append(rows.at(row).id);
    return ids;
}

// The positions in values of one longest strictly increasing subsequence.
QList<qsizetype> longestIncreasingRun(const QList<int>& values)
{
    QList<qsizetype> tails;                         // tails[k]: end of the best run of length k + 1
    QList<qsizetype> previous(values.size(), -1);   // the element before each one in its run
    for (qsizetype i = 0; i < values.size(); ++i) {
        const auto place = std::lower_bound(tails.begin(), tails.end(), values.at(i),
                                            [&](qsizetype tail, int value) { return values.at(tail) < value; });
        if (place != tails.begin())
            previous[i] = *(place - 1);
        if (place == tails.end())
            tails.append(i);
        else
            *place = i;
    }
    QList<qsizetype> run;
    for (qsizetype i = tails.isEmpty() ? -1 : tails.last(); i >= 0; i = previous.at(i))
        run.prepend(i);
    return run;
}

// What the selected station is doing, as a screen reader says it after
// the name.
QString statusWords(PlayingStatus status)
{
    switch (status) {
    case PlayingStatus::loading: return QStringLiteral("connecting");
    case PlayingStatus::buffering: return QStringLiteral("buffering");
    case PlayingStatus::playing: return QStringLiteral("playing");
    case PlayingStatus::error: return QStringLiteral("connection failed");
    case PlayingStatus::paused: return QStringLiteral("paused");
    }
    return {};
}

} // namespace

StationListModel::StationListModel(Store& store, QObject* parent)
    : QAbstractListModel(parent)
    , store_(store)
    , rows_(store.streams())
{
    if (store_.selectedStream())
        selectedId_ = store_.selectedStream()->id;
    connect(&store_, &Store::streamsChanged, this, &StationListModel::followStreams);
    connect(&store_, &Store::selectedStreamChanged, this, &StationListModel::followSelection);
    connect(&store_, &Store::playingStatusChanged, this, &StationListModel::followStatus);
}

int StationListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant StationListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const AudioStream& stream = rows_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole: return cleanDisplayText(stream.name);
    case StationIdRole: return stream.id.toString(QUuid::WithoutBraces);
    case UrlTextRole: return stream.urlText();
    case KeyHintRole: return KeyHints::stationHint(index.row());
    case IsSelectedRole: return selectedId_ == stream.id;
    case AccessibleNameRole:
        return selectedId_ == stream.id
                   ? cleanDisplayText(stream.name) + QStringLiteral(", ") + statusWords(store_.playingStatus())
                   : cleanDisplayText(stream.name);
    default: return {};
    }
}

QHash<int, QByteArray> StationListModel::roleNames() const
{
    return {
        {StationIdRole, "stationId"}, {NameRole, "name"},         {UrlTextRole, "urlText"},
        {KeyHintRole, "keyHint"},     {IsSelectedRole, "isSelected"}, {AccessibleNameRole, "accessibleName"},
    };
}

int StationListModel::indexOf(const QString& stationId) const
{
    const QUuid id = QUuid::fromString(stationId);
    return id.isNull() ? -1 : rowOf(id);
}

QString StationListModel::idAt(int row) const
{
    return row >= 0 && row < count() ? rows_.at(row).id.toString(QUuid::WithoutBraces) : QString();
}

int StationListModel::rowOf(const QUuid& id) const
{
    for (qsizetype row = 0; row < rows_.size(); ++row) {
        if (rows_.at(row).id == id)
            return static_cast<int>(row);
    }
    return -1;
}

void StationListModel::moveRow(int from, int after)
{
    // Qt counts the destination before the move: the row lands before it.
    const int destination = after + 1;
    if (from == destination)
        return;
    beginMoveRows({}, from, from, {}, destination);
    rows_.move(from, from < destination ? destination - 1 : destination);
    endMoveRows();
}

void StationListModel::followStreams()
{
    const QList<AudioStream>& target = store_.streams();
    const QList<QUuid> hintedBefore = firstIds(rows_, KeyHints::numberedStationCount);
    const int countBefore = count();

    // 1. Rows whose station is gone, in runs from the end.
    QSet<QUuid> targetIds;
    targetIds.reserve(target.size());
    for (const AudioStream& station : target)
        targetIds.insert(station.id);
    for (int last = count() - 1; last >= 0;) {
        if (targetIds.contains(rows_.at(last).id)) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && !targetIds.contains(rows_.at(first - 1).id))
            --first;
        beginRemoveRows({}, first, last);
        rows_.remove(first, last - first + 1);
        endRemoveRows();
        last = first - 1;
    }

    // 2. The rows that stay where they are: the longest run of them that is
    // already in the new order. Only the others move.
    QHash<QUuid, int> rowById;
    rowById.reserve(rows_.size());
    for (qsizetype row = 0; row < rows_.size(); ++row)
        rowById.insert(rows_.at(row).id, static_cast<int>(row));
    QList<int> keptRows;
    QList<QUuid> keptIds;
    for (const AudioStream& station : target) {
        const auto found = rowById.constFind(station.id);
        if (found != rowById.constEnd()) {
            keptRows.append(*found);
            keptIds.append(station.id);
        }
    }
    QSet<QUuid> staying;
    for (const qsizetype position : longestIncreasingRun(keptRows))
        staying.insert(keptIds.at(position));

    // 3. In the new order, each new station is inserted and each moving one
    // moved right after the station before it; consecutive new stations are
    // inserted together.
    int previousRow = -1; // the row of target[i - 1]; -2 when not yet looked up
    for (qsizetype i = 0; i < target.size();) {
        const QUuid& id = target.at(i).id;
        if (staying.contains(id)) {
            previousRow = -2;
            ++i;
            continue;
        }
        if (previousRow == -2)
            previousRow = rowOf(target.at(i - 1).id);
        if (rowById.contains(id)) {
            const int from = rowOf(id);
            moveRow(from, previousRow);
            previousRow = from > previousRow ? previousRow + 1 : previousRow;
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < target.size() && !rowById.contains(target.at(end).id))
            ++end;
        const int first = previousRow + 1;
        beginInsertRows({}, first, first + static_cast<int>(end - i) - 1);
        for (qsizetype j = i; j < end; ++j)
            rows_.insert(first + (j - i), target.at(j));
        endInsertRows();
        previousRow = first + static_cast<int>(end - i) - 1;
        i = end;
    }

    Q_ASSERT(rows_.size() == target.size());

    // 4. Rows whose name or URL changed.
    for (int row = 0; row < count(); ++row) {
        AudioStream& shown = rows_[row];
        const AudioStream& now = target.at(row);
        if (shown.name != now.name || shown.url != now.url) {
            shown = now;
            emit dataChanged(index(row), index(row), {Qt::DisplayRole, NameRole, UrlTextRole, AccessibleNameRole});
        }
    }

    announceKeyHints(hintedBefore);
    if (count() != countBefore)
        emit countChanged();
}

void StationListModel::announceKeyHints(const QList<QUuid>& before)
{
    // Hints belong to positions: a row that came to one of the first nine
    // positions, or left one, shows another hint.
    const QList<QUuid> after = firstIds(rows_, KeyHints::numberedStationCount);
    for (qsizetype row = 0; row < after.size(); ++row) {
        if (row >= before.size() || before.at(row) != after.at(row))
            emit dataChanged(index(int(row)), index(int(row)), {KeyHintRole});
    }
    for (const QUuid& id : before) {
        const int row = after.contains(id) ? -1 : rowOf(id);
        if (row >= 0)
            emit dataChanged(index(row), index(row), {KeyHintRole});
    }
}

void StationListModel::followSelection()
{
    std::optional<QUuid> now;
    if (store_.selectedStream())
        now = store_.selectedStream()->id;
    if (now == selectedId_)
        return;
    const std::optional<QUuid> before = selectedId_;
    selectedId_ = now;
    for (const std::optional<QUuid>& id : {before, now}) {
        const int row = id ? rowOf(*id) : -1;
        if (row >= 0)
            emit dataChanged(index(row), index(row), {IsSelectedRole, AccessibleNameRole});
    }
}

void StationListModel::followStatus()
{
    const int row = selectedId_ ? rowOf(*selectedId_) : -1;
    if (row >= 0)
        emit dataChanged(index(row), index(row), {AccessibleNameRole});
}

} // namespace tunara
