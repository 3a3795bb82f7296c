#pragma once

#include "StationEditorViewModel.h"
#include "StationListModel.h"
#include "model/Station.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

namespace tunara {

class Store;
class StationLogos;

// What the views read of the Store, in QML's terms: the optional selection
// as a flag plus texts, the status as an enumeration with its wording, the
// track as texts, and station ids as strings. Every operation goes straight
// to the Store; the editor sheet and the Settings window have view-models
// of their own.
class StoreViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the application")
    Q_PROPERTY(tunara::StationListModel* stations READ stations CONSTANT)
    Q_PROPERTY(bool hasSelection READ hasSelection NOTIFY selectionChanged)
    Q_PROPERTY(QString selectedName READ selectedName NOTIFY selectionChanged)
    // The selected station's logo picture (a file URL); empty for none.
    Q_PROPERTY(QString selectedLogo READ selectedLogo NOTIFY selectionChanged)
    Q_PROPERTY(Status status READ status NOTIFY statusChanged)
    Q_PROPERTY(QString progressText READ progressText NOTIFY statusChanged)
    Q_PROPERTY(QString failureText READ failureText NOTIFY statusChanged)
    Q_PROPERTY(QString playButtonName READ playButtonName NOTIFY statusChanged)
    Q_PROPERTY(QString spokenNowPlaying READ spokenNowPlaying NOTIFY nowPlayingTextChanged)
    Q_PROPERTY(QString title READ title NOTIFY metadataChanged)
    Q_PROPERTY(QString artist READ artist NOTIFY metadataChanged)
    Q_PROPERTY(bool hasArtist READ hasArtist NOTIFY metadataChanged)
    Q_PROPERTY(QString saveFailureMessage READ saveFailureMessage NOTIFY saveFailureMessageChanged)
    Q_PROPERTY(int volumePercent READ volumePercent NOTIFY volumeChanged)
    Q_PROPERTY(QString volumeText READ volumeText NOTIFY volumeChanged)
    Q_PROPERTY(QString streamDetailsText READ streamDetailsText NOTIFY streamDetailsChanged)
    Q_PROPERTY(QString sleepText READ sleepText NOTIFY sleepTimerChanged)

public:
    // The player's status, named for QML.
    enum class Status { Connecting, Buffering, Playing, Failed, Paused };
    Q_ENUM(Status)

    explicit StoreViewModel(Store& store, QObject* parent = nullptr);
    // Where the stations' logo pictures come from; none: no logos shown.
    void setLogos(StationLogos* logos);
    StationLogos* logos() const { return logos_; }

    Store& store() const { return store_; }
    StationListModel* stations() { return &stations_; }
    bool hasSelection() const;
    QString selectedName() const;
    QString selectedLogo() const;
    Status status() const;
    QString progressText() const;
    // Why the station failed; empty unless it did.
    QString failureText() const;
    QString playButtonName() const;
    QString spokenNowPlaying() const;
    QString title() const;
    QString artist() const;
    bool hasArtist() const;
    // "Could not save the station list: …" while the last save failed; empty otherwise.
    QString saveFailureMessage() const;
    int volumePercent() const;
    // "Volume 60 %", as the tray's tooltip says it.
    QString volumeText() const;
    // "MP3 · 128 kbps · 44.1 kHz · stereo", as far as the stream has said.
    QString streamDetailsText() const;
    // "Stops in 25 min" while the sleep timer runs; empty otherwise.
    QString sleepText() const;

    Q_INVOKABLE void playStation(const QString& stationId);
    Q_INVOKABLE void playStationAt(int index);
    Q_INVOKABLE void togglePlayPause();
    // Louder (positive) or quieter by this many volume steps.
    Q_INVOKABLE void changeVolume(int steps);
    Q_INVOKABLE void startSleepTimer(int minutes);
    Q_INVOKABLE void cancelSleepTimer();
    // The add sheet (stationId empty, with presetURL) or the edit sheet of a
    // station, owned by owner (the sheet), which it does not outlive.
    Q_INVOKABLE tunara::StationEditorViewModel* makeEditor(const QString& stationId, const QString& presetURL,
                                                           QObject* owner);


signals:
    void streamDetailsChanged();
    void sleepTimerChanged();
    void selectionChanged();
    void statusChanged();
    void metadataChanged();
    void nowPlayingTextChanged();
    void saveFailureMessageChanged();
    void volumeChanged();

private:
    Store& store_;
    StationListModel stations_;
    StationLogos* logos_ = nullptr;
};

} // namespace tunara
