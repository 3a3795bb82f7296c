#include "StationListModel.h"

#include "KeyHints.h"
#include "model/Store.h"

namespace tunara {

namespace {

QList<QUuid> idsOf(const QList<AudioStream>& streams)
{
    QList<QUuid> ids;
    ids.reserve(streams.size());
    for (const AudioStream& stream : streams)
        ids.append(stream.id);
    return ids;
}

} // namespace

StationListModel::StationListModel(Store& store, QObject* parent)
    : QAbstractListModel(parent)
    , store_(store)
    , shownIds_(idsOf(store.streams()))
{
    connect(&store_, &Store::streamsChanged, this, &StationListModel::followStreams);
    connect(&store_, &Store::selectedStreamChanged, this, &StationListModel::followSelection);
}

int StationListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(store_.streams().size());
}

QVariant StationListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const AudioStream& stream = store_.streams().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole: return stream.name;
    case StationIdRole: return stream.id.toString(QUuid::WithoutBraces);
    case UrlTextRole: return stream.urlText();
    case KeyHintRole: return KeyHints::stationHint(index.row());
    case IsSelectedRole: return store_.selectedStream() && store_.selectedStream()->id == stream.id;
    default: return {};
    }
}

QHash<int, QByteArray> StationListModel::roleNames() const
{
    return {
        {StationIdRole, "stationId"}, {NameRole, "name"},         {UrlTextRole, "urlText"},
        {KeyHintRole, "keyHint"},     {IsSelectedRole, "isSelected"},
    };
}

void StationListModel::followStreams()
{
    // The Store says only that the list changed. The same stations in the
    // same order keep their delegates (names or URLs may have changed);
    // anything else rebuilds the rows.
    const QList<QUuid> ids = idsOf(store_.streams());
    if (ids == shownIds_) {
        if (!ids.isEmpty())
            emit dataChanged(index(0), index(static_cast<int>(ids.size()) - 1));
        return;
    }
    const bool countChanges = ids.size() != shownIds_.size();
    beginResetModel();
    shownIds_ = ids;
    endResetModel();
    if (countChanges)
        emit countChanged();
}

void StationListModel::followSelection()
{
    if (!shownIds_.isEmpty())
        emit dataChanged(index(0), index(static_cast<int>(shownIds_.size()) - 1), {IsSelectedRole});
}

} // namespace tunara
