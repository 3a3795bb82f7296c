#pragma once

#include "StationEditorViewModel.h"
#include "StationListModel.h"
#include "model/AudioStream.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

namespace tunara {

class Store;

// What the views read of the Store, in QML's terms: the optional selection
// as a flag plus texts, the status by its case name, the metadata as texts,
// and station ids as strings. Every operation goes straight to the Store;
// the editor sheet has a view-model of its own.
class StoreViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the application")
    Q_PROPERTY(tunara::StationListModel* stations READ stations CONSTANT)
    Q_PROPERTY(bool hasSelection READ hasSelection NOTIFY selectionChanged)
    Q_PROPERTY(QString selectedName READ selectedName NOTIFY selectionChanged)
    Q_PROPERTY(QString status READ status NOTIFY statusChanged)
    Q_PROPERTY(QString title READ title NOTIFY metadataChanged)
    Q_PROPERTY(QString artist READ artist NOTIFY metadataChanged)
    Q_PROPERTY(bool hasArtist READ hasArtist NOTIFY metadataChanged)
    Q_PROPERTY(QString saveFailureMessage READ saveFailureMessage NOTIFY saveFailureMessageChanged)
    Q_PROPERTY(int volumePercent READ volumePercent NOTIFY volumeChanged)

public:
    explicit StoreViewModel(Store& store, QObject* parent = nullptr);

    Store& store() const { return store_; }
    StationListModel* stations() { return &stations_; }
    bool hasSelection() const;
    QString selectedName() const;
    QString status() const;
    QString title() const;
    QString artist() const;
    bool hasArtist() const;
    // "Could not save the station list: …" while the last save failed; empty otherwise.
    QString saveFailureMessage() const;
    int volumePercent() const;

    Q_INVOKABLE void playStream(const QString& stationId);
    Q_INVOKABLE void playStreamAt(int index);
    Q_INVOKABLE void togglePlayPause();
    // Louder (positive) or quieter by this many volume steps.
    Q_INVOKABLE void changeVolume(int steps);
    Q_INVOKABLE void deleteStream(const QString& stationId);
    // Moves the station at from to before the one at destination (counted
    // before the move). The row it lands at; -1 when nothing moved.
    Q_INVOKABLE int moveStream(int from, int destination);

    // The add sheet (stationId empty, with presetURL) or the edit sheet of a
    // station, owned by owner (the sheet), which it does not outlive.
    Q_INVOKABLE tunara::StationEditorViewModel* makeEditor(const QString& stationId, const QString& presetURL,
                                                           QObject* owner);

    Q_INVOKABLE bool hasStation(const QString& stationId) const { return findStation(stationId) != nullptr; }
    // The delete confirmation's message; empty when the station is gone.
    Q_INVOKABLE QString deleteConfirmationMessage(const QString& stationId) const;

signals:
    void selectionChanged();
    void statusChanged();
    void metadataChanged();
    void saveFailureMessageChanged();
    void volumeChanged();

private:
    const AudioStream* findStation(const QString& stationId) const;

    Store& store_;
    StationListModel stations_;
};

} // namespace tunara
