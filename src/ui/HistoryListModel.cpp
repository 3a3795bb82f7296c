#include "HistoryListModel.h"

#include "Announcement.h"
#include "common/DisplayText.h"
#include "model/TrackHistory.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLocale>
#include <QUrl>

namespace tunara {

namespace {

// Today's tracks by their time, older ones with their day.
QString timeText(const QDateTime& time)
{
    const QDateTime local = time.toLocalTime();
    const QLocale locale;
    if (local.date() == QDate::currentDate())
        return locale.toString(local.time(), QLocale::ShortFormat);
    return locale.toString(local, QLocale::ShortFormat);
}

} // namespace

HistoryListModel::HistoryListModel(TrackHistory& history, QObject* parent)
    : QAbstractListModel(parent)
    , history_(history)
    , rows_(int(history.tracks().size()))
{
    // One track at the top, and the oldest gone past the history's length:
    // the rows a view shows, and its current one, stay where they are.
    connect(&history_, &TrackHistory::trackAdded, this, [this] {
        beginInsertRows({}, 0, 0);
        ++rows_;
        endInsertRows();
        if (rows_ > history_.tracks().size()) {
            beginRemoveRows({}, rows_ - 1, rows_ - 1);
            --rows_;
            endRemoveRows();
        }
        emit countChanged();
    });
    connect(&history_, &TrackHistory::cleared, this, [this] {
        beginResetModel();
        rows_ = 0;
        endResetModel();
        emit countChanged();
    });
}

int HistoryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

QString HistoryListModel::lineAt(int row) const
{
    if (row < 0 || row >= history_.tracks().size())
        return {};
    const PlayedTrack& track = history_.tracks().at(row);
    return track.artist.isEmpty() ? track.title : track.artist + QStringLiteral(" - ") + track.title;
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || index.row() >= history_.tracks().size())
        return {};
    const PlayedTrack& track = history_.tracks().at(index.row());
    switch (role) {
    case LineRole:
        return lineAt(index.row());
    case DetailRole:
        return joinIsolated({track.station, timeText(track.time)}, QStringLiteral(" · "));
    case SpokenRole:
        return tr("%1, %2, %3").arg(lineAt(index.row()), track.station, timeText(track.time));
    default:
        return {};
    }
}

QHash<int, QByteArray> HistoryListModel::roleNames() const
{
    return {{LineRole, "line"}, {DetailRole, "detail"}, {SpokenRole, "spoken"}};
}

void HistoryListModel::copy(int row) const
{
    if (const QString line = lineAt(row); !line.isEmpty())
        QGuiApplication::clipboard()->setText(line);
}

void HistoryListModel::searchWeb(int row) const
{
    const QString line = lineAt(row);
    if (line.isEmpty())
        return;
    // Everything but letters, digits and "-._~" encoded: a "+" or "&" in a
    // title is searched for, not taken for a space or the next parameter.
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://duckduckgo.com/?q=")
                                   + QString::fromLatin1(QUrl::toPercentEncoding(line)), QUrl::StrictMode));
}

void HistoryListModel::clear()
{
    history_.clear();
    announce(tr("History cleared"));
}

} // namespace tunara
