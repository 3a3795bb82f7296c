#pragma once

#include "model/StationList.h"

#include <QIdentityProxyModel>
#include <QList>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace tunara {

class Store;
class StationLogos;

// The Store's station list as the views show it: each row carries the
// station's id, its name as shown (cleaned of control characters and line
// breaks), its URL text, its key hint, whether it is the selected station,
// and the name a screen reader says ("NTS 1, playing" for the selected
// station). The list's own row changes pass straight through, so views
// keep their scroll position, current row and focus.
class StationListModel : public QIdentityProxyModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the application")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    // The list's own roles pass through under the same numbers.
    enum Role {
        StationIdRole = StationList::IdRole,
        NameRole = StationList::NameRole,
        UrlTextRole = StationList::UrlRole,
        // The file URL of the logo's picture once it is ready; empty until
        // then and for none.
        LogoRole = StationList::LogoRole,
        KeyHintRole,
        IsSelectedRole,
        AccessibleNameRole,
        // The selected station, unless it failed: the speaker beside it.
        ShowsSpeakerRole,
        // The URL as a person reads it: letters rather than percent codes.
        UrlDisplayRole,
    };

    explicit StationListModel(Store& store, QObject* parent = nullptr);
    // Where the logos' pictures come from; none: no logos shown.
    void setLogos(StationLogos* logos);

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return rowCount(); }
    // The row of the station with this id; -1 when there is none.
    Q_INVOKABLE int indexOf(const QString& stationId) const;
    // The id of the station at a row; empty outside the list.
    Q_INVOKABLE QString idAt(int row) const;

signals:
    void countChanged();

private:
    void followRows();
    void followSelection();
    void announce(int row, const QList<int>& roles);

    Store& store_;
    StationLogos* logos_ = nullptr;
    std::optional<QUuid> selectedId_;
    // The stations that had the numbered key hints when the views were last told.
    QList<QUuid> hinted_;
};

} // namespace tunara
