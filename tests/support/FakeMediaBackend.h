#pragma once

// A scripted media backend: tests create the player's reports (status
// changes, buffering flags, metadata deliveries, loads that finish late or
// fail) by calling the fakes' methods.

#include "playback/MediaBackend.h"

#include <memory>
#include <vector>

namespace tunara::testing {

// Keeps a list of handlers; invalidated registrations are skipped.
template <typename Value>
class ObserverList {
public:
    using Handler = std::function<void(std::optional<Value>)>;

    std::unique_ptr<Observation> add(Handler handler);
    void notify(std::optional<Value> value);
    std::size_t liveCount() const;

private:
    struct Entry {
        Handler handler;
        std::shared_ptr<bool> alive;
    };
    std::vector<Entry> entries_;
};

class FakeMetadataItem final : public MetadataItem {
public:
    FakeMetadataItem(std::optional<QString> commonKey, std::optional<QString> identifier, std::optional<QString> value);

    std::optional<QString> commonKey() const override { return commonKey_; }
    std::optional<QString> identifier() const override { return identifier_; }
    void loadStringValue(std::function<void(LoadResult)> completion) override;

    // With deferred loading, loads wait until the test completes them.
    void deferLoads() { deferred_ = true; }
    void completeLoad(std::optional<QString> value);
    void failLoad();
    std::size_t pendingLoads() const { return pending_.size(); }

private:
    std::optional<QString> commonKey_;
    std::optional<QString> identifier_;
    std::optional<QString> value_;
    bool deferred_ = false;
    std::vector<std::function<void(LoadResult)>> pending_;
};

std::shared_ptr<FakeMetadataItem> streamTitleItem(const QString& value);
std::shared_ptr<FakeMetadataItem> metadataItem(std::optional<QString> commonKey, std::optional<QString> identifier,
                                               std::optional<QString> value = QString());

class FakeMetadataOutput final : public MetadataOutput, public std::enable_shared_from_this<FakeMetadataOutput> {
public:
    void setDelegate(MetadataOutputPushDelegate* delegate, std::weak_ptr<void> delegateLifetime) override;
    void clearDelegate() override;

    void deliver(const std::vector<TimedMetadataGroup>& groups);
    bool hasDelegate() const { return delegate_ != nullptr; }

private:
    MetadataOutputPushDelegate* delegate_ = nullptr;
    std::weak_ptr<void> delegateLifetime_;
};

class FakePlayerItem final : public PlayerItem {
public:
    explicit FakePlayerItem(QUrl itemURL)
        : url(std::move(itemURL))
    {
    }

    void setPreferredForwardBufferDuration(double seconds) override { preferredForwardBufferDuration = seconds; }
    void setCanUseNetworkResourcesForLiveStreamingWhilePaused(bool allowed) override
    {
        canUseNetworkResourcesWhilePaused = allowed;
    }

    ItemStatus status() const override { return status_; }
    std::shared_ptr<const MediaError> error() const override { return error_; }
    bool playbackBufferEmpty() const override { return bufferEmpty_; }
    bool playbackLikelyToKeepUp() const override { return likelyToKeepUp_; }

    void addOutput(const std::shared_ptr<MetadataOutput>& output) override { outputs.push_back(output); }
    void removeOutput(const std::shared_ptr<MetadataOutput>& output) override;

    std::unique_ptr<Observation> observeStatus(StatusHandler handler) override;
    std::unique_ptr<Observation> observePlaybackBufferEmpty(FlagHandler handler) override;
    std::unique_ptr<Observation> observePlaybackLikelyToKeepUp(FlagHandler handler) override;

    // Reports, as the real backend would send them.
    void becomeReady();
    void fail(MediaError error);
    void reportStatus(ItemStatus status);
    void setBufferEmpty(bool empty);
    void setLikelyToKeepUp(bool likely);
    void reportLikelyToKeepUpWithoutValue();

    bool hasLiveObservers() const;

    const QUrl url;
    double preferredForwardBufferDuration = -1;
    bool canUseNetworkResourcesWhilePaused = false;
    std::vector<std::shared_ptr<MetadataOutput>> outputs;

private:
    ItemStatus status_ = ItemStatus::unknown;
    std::shared_ptr<const MediaError> error_;
    bool bufferEmpty_ = false;
    bool likelyToKeepUp_ = false;
    ObserverList<ItemStatus> statusObservers_;
    ObserverList<bool> bufferEmptyObservers_;
    ObserverList<bool> likelyToKeepUpObservers_;
};

class FakePlayer final : public Player {
public:
    explicit FakePlayer(std::shared_ptr<PlayerItem> item)
        : item_(std::move(item))
    {
    }

    void setAutomaticallyWaitsToMinimizeStalling(bool waits) override { automaticallyWaitsToMinimizeStalling = waits; }
    void play() override;
    void pause() override;
    void replaceCurrentItem(std::nullptr_t) override { item_.reset(); }
    std::shared_ptr<PlayerItem> currentItem() const override { return item_; }
    double rate() const override { return rate_; }
    TimeControlStatus timeControlStatus() const override { return timeControlStatus_; }
    std::unique_ptr<Observation> observeTimeControlStatus(TimeControlHandler handler) override;

    void reportTimeControlStatus(TimeControlStatus status);
    bool hasLiveObservers() const { return observers_.liveCount() > 0; }

    bool automaticallyWaitsToMinimizeStalling = false;
    int playCalls = 0;
    int pauseCalls = 0;

private:
    std::shared_ptr<PlayerItem> item_;
    double rate_ = 0;
    TimeControlStatus timeControlStatus_ = TimeControlStatus::paused;
    ObserverList<TimeControlStatus> observers_;
};

class FakeMediaBackend final : public MediaBackend {
public:
    std::shared_ptr<MetadataOutput> makeMetadataOutput() override;
    std::shared_ptr<PlayerItem> makePlayerItem(const QUrl& url) override;
    std::shared_ptr<Player> makePlayer(const std::shared_ptr<PlayerItem>& item) override;
    void setVolume(double volume) override { volume_ = volume; }
    double volume() const override { return volume_; }
    std::unique_ptr<Observation> observeVolume(VolumeHandler handler) override;
    // The desktop's mixer moves the volume.
    void reportVolumeFromOutside(double volume);

    FakePlayerItem& item() const { return *items.back(); }
    FakePlayer& player() const { return *players.back(); }
    FakeMetadataOutput& output() const { return *outputs.back(); }

    std::vector<std::shared_ptr<FakePlayerItem>> items;
    std::vector<std::shared_ptr<FakePlayer>> players;
    std::vector<std::shared_ptr<FakeMetadataOutput>> outputs;

private:
    double volume_ = 1.0;
    ObserverList<double> volumeObservers_;
};

MediaError urlError(long long code, std::shared_ptr<const MediaError> underlying = nullptr);

} // namespace tunara::testing
