#pragma once

#include "model/AudioStream.h"

#include <QAbstractListModel>
#include <QList>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace tunara {

class Store;

// The Store's station list as a Qt item model, for the panel's rows and the
// Settings window's list. Each row carries the station's id, its name as
// shown (cleaned of control characters and line breaks), its URL text, its
// key hint, whether it is the selected station, and the name a screen
// reader says ("NTS 1, playing" for the selected station).
//
// The Store only says that its list changed; the model works out what did
// and announces the smallest change: rows inserted, removed or moved, and
// dataChanged for the rows whose fields changed. It never resets, so views
// keep their scroll position, current row and focus.
class StationListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the application")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        StationIdRole = Qt::UserRole + 1,
        NameRole,
        UrlTextRole,
        KeyHintRole,
        IsSelectedRole,
        AccessibleNameRole,
    };

    explicit StationListModel(Store& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return static_cast<int>(rows_.size()); }
    // The row of the station with this id; -1 when there is none.
    Q_INVOKABLE int indexOf(const QString& stationId) const;
    // The id of the station at a row; empty outside the list.
    Q_INVOKABLE QString idAt(int row) const;

signals:
    void countChanged();

private:
    void followStreams();
    void followSelection();
    void followStatus();
    int rowOf(const QUuid& id) const;
    void moveRow(int from, int after);
    void announceKeyHints(const QList<QUuid>& before);

    Store& store_;
    // The rows as the views were last told of them.
    QList<AudioStream> rows_;
    std::optional<QUuid> selectedId_;
};

} // namespace tunara
