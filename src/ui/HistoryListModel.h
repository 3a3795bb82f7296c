#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace tunara {

class TrackHistory;

// The tracks played, newest first, for the Recently Played window: each
// as its line ("Artist - Title"), station and time; copied to the
// clipboard or searched for on the web.
class HistoryListModel final : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the application")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    // The line; "Station · 14:03"; all of it for a screen reader.
    enum Role { LineRole = Qt::UserRole + 1, DetailRole, SpokenRole };

    explicit HistoryListModel(TrackHistory& history, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    int count() const { return rowCount(); }

    // "Artist - Title", or the title alone.
    QString lineAt(int row) const;
    Q_INVOKABLE void copy(int row) const;
    // A web search for the line, in the default browser.
    Q_INVOKABLE void searchWeb(int row) const;
    Q_INVOKABLE void clear();

signals:
    void countChanged();

private:
    TrackHistory& history_;
    // As the views were last told: one more than the history while its
    // oldest track is being removed.
    int rows_;
};

} // namespace tunara
