#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

namespace tunara {

class Store;

// The Store's station list as a Qt item model, for the panel's rows and the
// Settings window's list. Each row carries the station's id, name, URL
// text, key hint and whether it is the selected station.
class StationListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the application")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role { StationIdRole = Qt::UserRole + 1, NameRole, UrlTextRole, KeyHintRole, IsSelectedRole };

    explicit StationListModel(Store& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return rowCount(); }

signals:
    void countChanged();

private:
    void followStreams();
    void followSelection();

    Store& store_;
    QList<QUuid> shownIds_;
};

} // namespace tunara
