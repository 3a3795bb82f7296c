#pragma once

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
// and station ids as strings. Every operation goes straight to the Store.
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

    Q_INVOKABLE void playStream(const QString& stationId);
    Q_INVOKABLE void playStreamAt(int index);
    Q_INVOKABLE void togglePlayPause();
    Q_INVOKABLE bool addStream(const QString& name, const QString& urlText);
    Q_INVOKABLE bool updateStream(const QString& stationId, const QString& name, const QString& urlText);
    Q_INVOKABLE void deleteStream(const QString& stationId);
    Q_INVOKABLE void moveStream(int from, int destination);

    Q_INVOKABLE bool hasStation(const QString& stationId) const { return findStation(stationId) != nullptr; }
    // Station fields by id; none (null) when no station has the id.
    Q_INVOKABLE QVariant stationName(const QString& stationId) const;
    Q_INVOKABLE QVariant stationUrlText(const QString& stationId) const;
    // The delete confirmation's message; empty when the station is gone.
    Q_INVOKABLE QString deleteConfirmationMessage(const QString& stationId) const;

    // Trimming as the Store does it: white space and line breaks at both ends.
    Q_INVOKABLE QString trimmed(const QString& text) const { return text.trimmed(); }
    // The message of what is wrong with a URL text; empty when it is valid.
    Q_INVOKABLE QString urlValidationMessage(const QString& urlText) const;
    // The message shown when the Store rejects the input.
    Q_INVOKABLE QString invalidFormatMessage() const;

signals:
    void selectionChanged();
    void statusChanged();
    void metadataChanged();
    void saveFailureMessageChanged();

private:
    const AudioStream* findStation(const QString& stationId) const;

    Store& store_;
    StationListModel stations_;
};

} // namespace tunara
