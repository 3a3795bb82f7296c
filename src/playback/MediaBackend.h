#pragma once

// What the playback controller needs of a media framework: a player, the
// item it plays, and a timed-metadata output attached to the item. The
// program uses the GStreamer implementation; tests drive a scripted one.

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tunara {

// Error domains the controller classifies (see PlaybackController::isUnrecoverable).
inline const QString NSURLErrorDomain = QStringLiteral("NSURLErrorDomain");
inline const QString AVFoundationErrorDomain = QStringLiteral("AVFoundationErrorDomain");

// A failure with a domain, an integer code, a human-readable description
// and an optional underlying error (the chain the classifier searches).
struct MediaError {
    QString domain;
    long long code = 0;
    QString localizedDescription;
    std::shared_ptr<const MediaError> underlyingError;
};

enum class ItemStatus { unknown, readyToPlay, failed };
enum class TimeControlStatus { paused, waitingToPlayAtSpecifiedRate, playing };

// A registration for change notifications. Destroying it (or invalidate())
// stops further notifications.
class Observation {
public:
    virtual ~Observation() = default;
    virtual void invalidate() = 0;
};

// One item of a timed-metadata group.
class MetadataItem {
public:
    // The outcome of loading the value: a text, no value, or a failure.
    struct LoadResult {
        bool failed = false;
        std::optional<QString> value;
    };

    virtual ~MetadataItem() = default;
    virtual std::optional<QString> commonKey() const = 0;
    virtual std::optional<QString> identifier() const = 0;
    // Loads the string value; the completion runs later, on the main thread.
    virtual void loadStringValue(std::function<void(LoadResult)> completion) = 0;
};

// The common key of a title item.
inline const QString MetadataCommonKeyTitle = QStringLiteral("title");

struct TimedMetadataGroup {
    std::vector<std::shared_ptr<MetadataItem>> items;
};

class MetadataOutput;

class MetadataOutputPushDelegate {
public:
    virtual ~MetadataOutputPushDelegate() = default;
    virtual void metadataOutput(const std::shared_ptr<MetadataOutput>& output,
                                const std::vector<TimedMetadataGroup>& groups) = 0;
};

// Delivers the item's timed metadata to its delegate, on the main thread.
// The delegate is held weakly: the output calls it only while the
// delegate's lifetime token is alive.
class MetadataOutput {
public:
    virtual ~MetadataOutput() = default;
    virtual void setDelegate(MetadataOutputPushDelegate* delegate, std::weak_ptr<void> delegateLifetime) = 0;
    virtual void clearDelegate() = 0;
};

class PlayerItem {
public:
    virtual ~PlayerItem() = default;

    // The station's name, where the backend shows it (the desktop's mixer).
    virtual void setDisplayName(const QString& /*name*/) {}
    virtual void setPreferredForwardBufferDuration(double seconds) = 0;
    virtual void setCanUseNetworkResourcesForLiveStreamingWhilePaused(bool allowed) = 0;

    virtual ItemStatus status() const = 0;
    virtual std::shared_ptr<const MediaError> error() const = 0; // set when failed
    virtual bool playbackBufferEmpty() const = 0;
    virtual bool playbackLikelyToKeepUp() const = 0;

    virtual void addOutput(const std::shared_ptr<MetadataOutput>& output) = 0;
    virtual void removeOutput(const std::shared_ptr<MetadataOutput>& output) = 0;

    // Change notifications may arrive on any thread; they carry the new value
    // where the backend has it. observeStatus also calls once at once with the
    // current value.
    using StatusHandler = std::function<void(std::optional<ItemStatus>)>;
    using FlagHandler = std::function<void(std::optional<bool>)>;
    [[nodiscard]] virtual std::unique_ptr<Observation> observeStatus(StatusHandler handler) = 0;
    [[nodiscard]] virtual std::unique_ptr<Observation> observePlaybackBufferEmpty(FlagHandler handler) = 0;
    [[nodiscard]] virtual std::unique_ptr<Observation> observePlaybackLikelyToKeepUp(FlagHandler handler) = 0;
};

class Player {
public:
    virtual ~Player() = default;

    virtual void setAutomaticallyWaitsToMinimizeStalling(bool waits) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void replaceCurrentItem(std::nullptr_t) = 0;
    virtual std::shared_ptr<PlayerItem> currentItem() const = 0;
    virtual double rate() const = 0;
    virtual TimeControlStatus timeControlStatus() const = 0;

    using TimeControlHandler = std::function<void(std::optional<TimeControlStatus>)>;
    [[nodiscard]] virtual std::unique_ptr<Observation> observeTimeControlStatus(TimeControlHandler handler) = 0;
};

// Makes the three objects. Lives as long as the controllers that use it.
class MediaBackend {
public:
    virtual ~MediaBackend() = default;
    virtual std::shared_ptr<MetadataOutput> makeMetadataOutput() = 0;
    virtual std::shared_ptr<PlayerItem> makePlayerItem(const QUrl& url) = 0;
    virtual std::shared_ptr<Player> makePlayer(const std::shared_ptr<PlayerItem>& item) = 0;

    // The one volume of the application, 0 to 1 on the cubic scale of the
    // desktop's sliders (0.5 sounds half as loud). Every player plays at
    // it, a new one from its first sample.
    virtual void setVolume(double volume) = 0;
    virtual double volume() const = 0;
    // Reports a volume set outside the player (the desktop's mixer), on the
    // main thread.
    using VolumeHandler = std::function<void(double)>;
    [[nodiscard]] virtual std::unique_ptr<Observation> observeVolume(VolumeHandler handler) = 0;
};

} // namespace tunara
