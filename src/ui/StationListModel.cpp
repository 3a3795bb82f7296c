#include "StationListModel.h"

#include "KeyHints.h"
#include "StatusWording.h"
#include "common/DisplayText.h"
#include "model/Store.h"
#include "model/logos/StationLogos.h"

namespace tunara {

namespace {

QList<QUuid> firstIds(const StationList& stations)
{
    QList<QUuid> ids;
    for (qsizetype row = 0; row < std::min<qsizetype>(KeyHints::numberedStationCount, stations.size()); ++row)
        ids.append(stations.at(row).id);
    return ids;
}

} // namespace

StationListModel::StationListModel(Store& store, QObject* parent)
    : QIdentityProxyModel(parent)
    , store_(store)
{
    setSourceModel(&store_.stationList());
    if (const auto selected = store_.selectedStation())
        selectedId_ = selected->id;
    hinted_ = firstIds(store_.stationList());
    // After the rows themselves have passed through, and once per change
    // of the list: the hints; and a new name is also new for screen readers,
    // a new URL for the eye.
    connect(&store_, &Store::stationsChanged, this, &StationListModel::followRows);
    connect(&store_.stationList(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last, const QList<int>& roles) {
                QList<int> derived;
                if (roles.contains(NameRole))
                    derived << AccessibleNameRole;
                if (roles.contains(UrlTextRole))
                    derived << UrlDisplayRole;
                if (!derived.isEmpty())
                    emit dataChanged(index(first.row(), 0), index(last.row(), 0), derived);
            });
    connect(&store_, &Store::selectedStationChanged, this, &StationListModel::followSelection);
    connect(&store_, &Store::playingStatusChanged, this, [this] {
        if (selectedId_)
            announce(store_.stationList().rowOf(*selectedId_), {AccessibleNameRole, ShowsSpeakerRole});
    });
}

void StationListModel::setLogos(StationLogos* logos)
{
    logos_ = logos;
    connect(logos_, &StationLogos::ready, this, [this](const QUrl& logo) {
        const StationList& stations = store_.stationList();
        for (int row = 0; row < stations.size(); ++row) {
            if (stations.at(row).logo == logo)
                announce(row, {LogoRole});
        }
    });
}

QVariant StationListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Station& station = store_.stationList().at(index.row());
    const bool isSelected = selectedId_ == station.id;
    switch (role) {
    case Qt::DisplayRole:
    case NameRole: return cleanDisplayText(station.name);
    case StationIdRole: return station.id.toString(QUuid::WithoutBraces);
    case UrlTextRole: return station.urlText();
    case KeyHintRole: return KeyHints::stationHint(index.row());
    case IsSelectedRole: return isSelected;
    case ShowsSpeakerRole: return isSelected && store_.playingStatus() != PlayingStatus::error;
    case UrlDisplayRole: return cleanDisplayText(station.url.toDisplayString());
    case LogoRole: return logos_ ? logos_->file(station.logo).toString() : QString();
    case AccessibleNameRole:
        return isSelected ? cleanDisplayText(station.name) + QStringLiteral(", ") + StatusWording::spokenStatus(store_.playingStatus())
                          : cleanDisplayText(station.name);
    default: return {};
    }
}

QHash<int, QByteArray> StationListModel::roleNames() const
{
    return {
        {StationIdRole, "stationId"},         {NameRole, "name"},
        {UrlTextRole, "urlText"},             {KeyHintRole, "keyHint"},
        {IsSelectedRole, "isSelected"},       {ShowsSpeakerRole, "showsSpeaker"},
        {AccessibleNameRole, "accessibleName"}, {UrlDisplayRole, "urlDisplay"},
        {LogoRole, "logo"},
    };
}

int StationListModel::indexOf(const QString& stationId) const
{
    const QUuid id = QUuid::fromString(stationId);
    return id.isNull() ? -1 : store_.stationList().rowOf(id);
}

QString StationListModel::idAt(int row) const
{
    return row >= 0 && row < count() ? store_.stationList().at(row).id.toString(QUuid::WithoutBraces) : QString();
}

void StationListModel::announce(int row, const QList<int>& roles)
{
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, 0), roles);
}

void StationListModel::followRows()
{
    // Hints belong to positions: a station that came to one of the first
    // nine positions, or left one, shows another hint.
    const StationList& stations = store_.stationList();
    const QList<QUuid> now = firstIds(stations);
    for (qsizetype row = 0; row < now.size(); ++row) {
        if (row >= hinted_.size() || hinted_.at(row) != now.at(row))
            announce(int(row), {KeyHintRole});
    }
    for (const QUuid& id : std::as_const(hinted_)) {
        if (!now.contains(id))
            announce(stations.rowOf(id), {KeyHintRole});
    }
    hinted_ = now;
    emit countChanged();
}

void StationListModel::followSelection()
{
    const auto selected = store_.selectedStation();
    const std::optional<QUuid> now = selected ? std::optional(selected->id) : std::nullopt;
    if (now == selectedId_)
        return;
    const std::optional<QUuid> before = selectedId_;
    selectedId_ = now;
    for (const std::optional<QUuid>& id : {before, now}) {
        if (id)
            announce(store_.stationList().rowOf(*id), {IsSelectedRole, AccessibleNameRole, ShowsSpeakerRole});
    }
}

} // namespace tunara
