#include "LogoFinder.h"

#include "Announcement.h"
#include "model/Store.h"

namespace tunara {

LogoFinder::LogoFinder(Store& store, QObject* parent)
    : QObject(parent)
    , store_(store)
{
}

LogoFinder::~LogoFinder() = default;

void LogoFinder::start()
{
    if (running())
        return;
    for (const Station& station : store_.stations()) {
        if (station.logo.isEmpty())
            waiting_.append(station.id);
    }
    if (waiting_.isEmpty())
        return finish(tr("Every station has a logo"));
    if (!directory_) {
        directory_ = std::make_unique<StationDirectory>(StationDirectory::serversFromEnvironment());
        connect(directory_.get(), &StationDirectory::searchFinished, this, &LogoFinder::found);
        connect(directory_.get(), &StationDirectory::searchFailed, this,
                [this](DirectoryFailure failure) { finish(failureMessage(failure)); });
    }
    logosFound_ = 0;
    message_ = tr("Finding logos…");
    emit messageChanged();
    emit runningChanged();
    lookUpNext();
}

void LogoFinder::lookUpNext()
{
    // Stations deleted meanwhile are passed over.
    while (!waiting_.isEmpty() && store_.stationList().rowOf(waiting_.first()) < 0)
        waiting_.removeFirst();
    if (waiting_.isEmpty()) {
        finish(logosFound_ == 0   ? tr("No logos found")
               : logosFound_ == 1 ? tr("Found a logo for 1 station")
                                  : tr("Found logos for %n stations", nullptr, logosFound_));
        return;
    }
    directory_->lookUp(store_.stationList().at(store_.stationList().rowOf(waiting_.first())).url);
}

void LogoFinder::found(const QList<DirectoryStation>& stations)
{
    const int row = store_.stationList().rowOf(waiting_.first());
    if (row >= 0) {
        const Station& station = store_.stationList().at(row);
        for (const DirectoryStation& listed : stations) {
            if (listed.knownURLs.contains(station.url) && !listed.favicon.isEmpty()) {
                if (station.logo.isEmpty() && store_.setStationLogo(station.id, listed.favicon))
                    ++logosFound_;
                break;
            }
        }
    }
    waiting_.removeFirst();
    lookUpNext();
}

void LogoFinder::finish(const QString& message)
{
    const bool wasRunning = running();
    waiting_.clear();
    message_ = message;
    emit messageChanged();
    if (wasRunning)
        emit runningChanged();
    announce(message_);
}

} // namespace tunara
