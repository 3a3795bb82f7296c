#pragma once

#include "AppSettings.h"
#include "Station.h"
#include "StationList.h"
#include "playback/PlaybackController.h"
#include "playback/PlaybackTypes.h"
#include "playback/SleepTimer.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace tunara {

// The application model: the station list (saved after every change), the
// selection, and the player, whose status, track and volume it passes on
// to the views without keeping copies. Views read it through its
// properties and act on it only through its operations. Main thread only.
//
// Notifications: the list's own row-level changes, and stationsChanged after
// each of them; selectedStationChanged on every assignment;
// playingStatusChanged, trackChanged and volumeChanged as the player
// reports them.
class Store final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<tunara::Station> stations READ stations NOTIFY stationsChanged)
    Q_PROPERTY(QVariant selectedStation READ selectedStationVariant NOTIFY selectedStationChanged)
    Q_PROPERTY(tunara::PlayingStatus playingStatus READ playingStatus NOTIFY playingStatusChanged)
    Q_PROPERTY(QString saveError READ saveError NOTIFY saveErrorChanged)
    Q_PROPERTY(double volume READ volume WRITE setVolume NOTIFY volumeChanged)

public:
    // The list is read from the library file (none: the defaults, never
    // saved); the volume is kept in the settings file when one is given.
    Store(PlaybackController& player, std::optional<QUrl> libraryFileURL, std::optional<QUrl> settingsFileURL,
          Scheduler& scheduler);
    ~Store() override;

    const QList<Station>& stations() const { return stations_.all(); }
    StationList& stationList() { return stations_; }
    std::optional<Station> selectedStation() const;
    void setSelectedStation(std::optional<Station> station);
    // Stops playback after a while, fading out.
    SleepTimer& sleepTimer() { return sleepTimer_; }
    PlayingStatus playingStatus() const { return player_.status(); }
    const std::optional<Track>& track() const { return player_.track(); }
    PlaybackController& player() const { return player_; }
    const std::optional<QUrl>& libraryFileURL() const { return libraryFileURL_; }
    // Writes the list. A failure is kept in saveError until a save succeeds;
    // a library file that could not be read or moved aside at start-up is
    // never written over.
    void save();
    // Why the last save failed; empty after a successful one.
    const QString& saveError() const { return saveError_; }

    // The new station's id; none when the input is rejected.
    std::optional<QUuid> addStation(const QString& name, const QString& urlText);
    // Appends, in order, each station whose URL is not in the list yet (nor
    // earlier in the same call) and whose input is accepted; saves once when
    // any was added. The ids of the new stations.
    QList<QUuid> addStations(const QList<std::pair<QString, QString>>& namesAndURLTexts);
    bool containsStationURL(const QUrl& url) const;
    bool updateStation(const QUuid& id, const QString& name, const QString& urlText);
    // The station's logo (empty: none); saved as any change is.
    bool setStationLogo(const QUuid& id, const QUrl& logo);
    void deleteStations(const QSet<QUuid>& ids);
    void moveStations(const QList<int>& sourcePositions, int destination);

    void playStation(std::optional<QUuid> id = std::nullopt);
    void togglePlayPause();

    // Whether the station played last plays again when the program starts;
    // kept in the settings file.
    bool playsLastStationAtStart() const { return resume_.enabled; }
    void setPlaysLastStationAtStart(bool plays);
    // Notifications of new tracks and staying awake while playing; kept in
    // the settings file.
    const AppSettings::DesktopOptions& desktopOptions() const { return desktopOptions_; }
    void setDesktopOptions(const AppSettings::DesktopOptions& options);
    // At start: plays the last station when asked to, once the network is
    // there.
    void resumeAtStart();

    // The player's volume, 0 to 1 on the cubic scale of the desktop's
    // sliders; kept across runs.
    double volume() const { return player_.volume(); }
    void setVolume(double volume) { player_.setVolume(volume); }
    // Moves the volume by so much (negative: quieter), within 0 to 1.
    void changeVolume(double step);
    // One notch of a wheel, one press of a key.
    static constexpr double volumeStep = 0.05;
    // Writes the settings still settling (the volume, the last station); at
    // termination.
    void saveSettingsNow();
    // As the program ends: playback stops, the desktop is told, nothing
    // stays selected, and the settings are written.
    void shutDown();

    // Trimmed name and parsed URL, or none when the input is rejected.
    static std::optional<std::pair<QString, QUrl>> validatedInput(const QString& name, const QString& urlText);

signals:
    void stationsChanged();
    void selectedStationChanged();
    void playingStatusChanged();
    void trackChanged();
    void saveErrorChanged();
    void volumeChanged();
    void playsLastStationAtStartChanged();
    void desktopOptionsChanged();

private:
    QVariant selectedStationVariant() const;
    bool isSelected(const QUuid& id) const { return selectedId_ == id; }
    void stopAndDeselect();
    void listChanged();
    void setSaveError(const QString& error);
    void saveSettingsSoon();
    void writePendingSettings();

    StationList stations_;
    std::optional<QUuid> selectedId_;
    PlaybackController& player_;
    Scheduler& scheduler_;
    std::optional<QUrl> libraryFileURL_;
    QString keepFileReason_;
    QString saveError_;
    std::optional<QUrl> settingsFileURL_;
    // A volume that moves in many small steps (a slider, a wheel), and the
    // station last played, are written once they have settled.
    std::unique_ptr<OneShotTimer> settingsSave_;
    bool volumeSavePending_ = false;
    bool resumeSavePending_ = false;
    AppSettings::Resume resume_;
    AppSettings::DesktopOptions desktopOptions_;
    QMetaObject::Connection resumeWait_;
    SleepTimer sleepTimer_{player_, scheduler_};
};

} // namespace tunara
