#include "DirectoryViewModel.h"

#include "Announcement.h"
#include "StoreViewModel.h"
#include "common/DisplayText.h"
#include "model/Store.h"

namespace tunara {

namespace {

QString details(const DirectoryStation& station)
{
    QStringList parts;
    for (const QString& part : {station.countryCode, station.codec})
        if (!part.isEmpty())
            parts << part;
    if (station.bitrate > 0)
        parts << DirectoryViewModel::tr("%1 kbps").arg(station.bitrate);
    if (station.hls)
        parts << QStringLiteral("HLS");
    return parts.join(QStringLiteral(" · "));
}

} // namespace

DirectoryViewModel::DirectoryViewModel(QObject* parent)
    : QAbstractListModel(parent)
{
    debounce_.setSingleShot(true);
    debounce_.setInterval(debounceMilliseconds);
    connect(&debounce_, &QTimer::timeout, this, &DirectoryViewModel::searchNow);
}

DirectoryViewModel::~DirectoryViewModel() = default;

void DirectoryViewModel::setStore(StoreViewModel* store)
{
    if (store == storeViewModel_)
        return;
    if (store_)
        disconnect(store_, nullptr, this, nullptr);
    storeViewModel_ = store;
    store_ = store ? &store->store() : nullptr;
    if (store_)
        connect(store_, &Store::stationsChanged, this, &DirectoryViewModel::followStore);
    followStore();
    emit storeChanged();
}

int DirectoryViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(stations_.size());
}

QVariant DirectoryViewModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const DirectoryStation& station = stations_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole: return station.name;
    case DetailsRole: return details(station);
    case TagsRole: return joinIsolated(station.tags, QStringLiteral(", "));
    case InListRole: return inList_.value(index.row());
    default: return {};
    }
}

QHash<int, QByteArray> DirectoryViewModel::roleNames() const
{
    return {{NameRole, "name"}, {DetailsRole, "details"}, {TagsRole, "tags"}, {InListRole, "inList"}};
}

void DirectoryViewModel::setQuery(const QString& query)
{
    if (query == query_)
        return;
    query_ = query;
    emit queryChanged();
    scheduleSearch();
}

void DirectoryViewModel::setSearchByTag(bool byTag)
{
    if (byTag == searchByTag_)
        return;
    searchByTag_ = byTag;
    emit searchByTagChanged();
    scheduleSearch();
}

QString DirectoryViewModel::message() const
{
    switch (state_) {
    case State::idle: return tr("Type a station's name, or a tag such as \u201Cjazz\u201D");
    case State::searching: return tr("Searching\u2026");
    case State::found: return stations_.isEmpty() ? tr("No stations found") : QString();
    case State::failed: return failureMessage(failure_);
    }
    return {};
}

void DirectoryViewModel::scheduleSearch()
{
    // The answer to an older text is of no use any more. The rows stay
    // until the new answer replaces them; an empty field empties them.
    if (directory_)
        directory_->cancel();
    if (query_.trimmed().isEmpty()) {
        debounce_.stop();
        showStations({});
        setState(State::idle);
        return;
    }
    setState(State::searching);
    debounce_.start();
}

void DirectoryViewModel::searchNow()
{
    debounce_.stop();
    const QString text = query_.trimmed();
    if (text.isEmpty())
        return;
    if (!directory_) {
        directory_ = std::make_unique<StationDirectory>(StationDirectory::serversFromEnvironment());
        connect(directory_.get(), &StationDirectory::searchFinished, this, &DirectoryViewModel::showStations);
        connect(directory_.get(), &StationDirectory::searchFailed, this, &DirectoryViewModel::showFailure);
    }
    setState(State::searching);
    directory_->search(searchByTag_ ? StationDirectory::SearchField::tag : StationDirectory::SearchField::name, text);
}

void DirectoryViewModel::showStations(const QList<DirectoryStation>& stations)
{
    beginResetModel();
    stations_ = stations;
    inList_.clear();
    for (const DirectoryStation& station : stations_)
        inList_.append(isInList(station));
    endResetModel();
    setState(query_.trimmed().isEmpty() ? State::idle : State::found);
}

void DirectoryViewModel::showFailure(DirectoryFailure failure)
{
    // Rows of an earlier search would look like this one's.
    beginResetModel();
    stations_.clear();
    inList_.clear();
    endResetModel();
    failure_ = failure;
    setState(State::failed);
}

void DirectoryViewModel::setState(State state)
{
    const bool changed = state != state_;
    state_ = state;
    emit stateChanged();
    // Every answer is told; "Searching…" once, not at each key typed.
    if (state == State::found && !stations_.isEmpty())
        announce(stations_.size() == 1 ? tr("1 station found") : tr("%n stations found", nullptr, int(stations_.size())));
    else if (state != State::idle && (changed || state == State::found))
        announce(message());
}

bool DirectoryViewModel::isInList(const DirectoryStation& station) const
{
    if (!store_)
        return false;
    return std::any_of(station.knownURLs.cbegin(), station.knownURLs.cend(),
                       [&](const QUrl& url) { return store_->containsStationURL(url); });
}

void DirectoryViewModel::followStore()
{
    for (qsizetype row = 0; row < stations_.size(); ++row) {
        const bool inList = isInList(stations_.at(row));
        if (inList_.at(row) != inList) {
            inList_[row] = inList;
            emit dataChanged(index(static_cast<int>(row)), index(static_cast<int>(row)), {InListRole});
        }
    }
}

bool DirectoryViewModel::addStation(int row)
{
    if (!store_ || row < 0 || row >= stations_.size() || inList_.at(row))
        return false;
    const DirectoryStation station = stations_.at(row);
    const QList<QUuid> added = store_->addStations({{station.name, station.url.toString(QUrl::FullyEncoded)}});
    if (added.isEmpty())
        return false;
    store_->setStationLogo(added.first(), station.favicon);
    directory_->reportClick(station);
    emit stationAdded(added.first().toString(QUuid::WithoutBraces));
    return true;
}

} // namespace tunara
