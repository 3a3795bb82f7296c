#include "FakeMediaBackend.h"

#include <algorithm>

namespace tunara::testing {

namespace {

class FakeObservation final : public Observation {
public:
    explicit FakeObservation(std::shared_ptr<bool> alive)
        : alive_(std::move(alive))
    {
    }
    ~FakeObservation() override { invalidate(); }
    void invalidate() override { *alive_ = false; }

private:
    std::shared_ptr<bool> alive_;
};

} // namespace

template <typename Value>
std::unique_ptr<Observation> ObserverList<Value>::add(Handler handler)
{
    auto alive = std::make_shared<bool>(true);
    entries_.push_back({std::move(handler), alive});
    return std::make_unique<FakeObservation>(alive);
}

template <typename Value>
void ObserverList<Value>::notify(std::optional<Value> value)
{
    const auto entries = entries_;
    for (const Entry& entry : entries) {
        if (*entry.alive)
            entry.handler(value);
    }
}

template <typename Value>
std::size_t ObserverList<Value>::liveCount() const
{
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& entry) { return *entry.alive; }));
}

template class ObserverList<ItemStatus>;
template class ObserverList<bool>;
template class ObserverList<TimeControlStatus>;
template class ObserverList<double>;

FakeMetadataItem::FakeMetadataItem(std::optional<QString> commonKey, std::optional<QString> identifier,
                                   std::optional<QString> value)
    : commonKey_(std::move(commonKey))
    , identifier_(std::move(identifier))
    , value_(std::move(value))
{
}

void FakeMetadataItem::loadStringValue(std::function<void(LoadResult)> completion)
{
    if (deferred_)
        pending_.push_back(std::move(completion));
    else
        completion({false, value_});
}

void FakeMetadataItem::completeLoad(std::optional<QString> value)
{
    auto completion = std::move(pending_.front());
    pending_.erase(pending_.begin());
    completion({false, std::move(value)});
}

void FakeMetadataItem::failLoad()
{
    auto completion = std::move(pending_.front());
    pending_.erase(pending_.begin());
    completion({true, std::nullopt});
}

std::shared_ptr<FakeMetadataItem> streamTitleItem(const QString& value)
{
    return std::make_shared<FakeMetadataItem>(MetadataCommonKeyTitle, QStringLiteral("icy/StreamTitle"), value);
}

std::shared_ptr<FakeMetadataItem> metadataItem(std::optional<QString> commonKey, std::optional<QString> identifier,
                                               std::optional<QString> value)
{
    return std::make_shared<FakeMetadataItem>(std::move(commonKey), std::move(identifier), std::move(value));
}

void FakeMetadataOutput::setDelegate(MetadataOutputPushDelegate* delegate, std::weak_ptr<void> delegateLifetime)
{
    delegate_ = delegate;
    delegateLifetime_ = std::move(delegateLifetime);
}

void FakeMetadataOutput::clearDelegate()
{
    delegate_ = nullptr;
    delegateLifetime_.reset();
}

void FakeMetadataOutput::deliver(const std::vector<TimedMetadataGroup>& groups)
{
    if (delegate_ && delegateLifetime_.lock())
        delegate_->metadataOutput(shared_from_this(), groups);
}

void FakePlayerItem::removeOutput(const std::shared_ptr<MetadataOutput>& output)
{
    outputs.erase(std::remove(outputs.begin(), outputs.end(), output), outputs.end());
}

std::unique_ptr<Observation> FakePlayerItem::observeStatus(StatusHandler handler)
{
    handler(status_);
    return statusObservers_.add(std::move(handler));
}

std::unique_ptr<Observation> FakePlayerItem::observePlaybackBufferEmpty(FlagHandler handler)
{
    return bufferEmptyObservers_.add(std::move(handler));
}

std::unique_ptr<Observation> FakePlayerItem::observePlaybackLikelyToKeepUp(FlagHandler handler)
{
    return likelyToKeepUpObservers_.add(std::move(handler));
}

void FakePlayerItem::becomeReady()
{
    reportStatus(ItemStatus::readyToPlay);
}

void FakePlayerItem::fail(MediaError error)
{
    error_ = std::make_shared<const MediaError>(std::move(error));
    reportStatus(ItemStatus::failed);
}

void FakePlayerItem::reportStatus(ItemStatus status)
{
    status_ = status;
    statusObservers_.notify(status);
}

void FakePlayerItem::setBufferEmpty(bool empty)
{
    bufferEmpty_ = empty;
    bufferEmptyObservers_.notify(empty);
}

void FakePlayerItem::setLikelyToKeepUp(bool likely)
{
    likelyToKeepUp_ = likely;
    likelyToKeepUpObservers_.notify(likely);
}

void FakePlayerItem::reportLikelyToKeepUpWithoutValue()
{
    likelyToKeepUpObservers_.notify(std::nullopt);
}

bool FakePlayerItem::hasLiveObservers() const
{
    return statusObservers_.liveCount() + bufferEmptyObservers_.liveCount() + likelyToKeepUpObservers_.liveCount() > 0;
}

void FakePlayer::play()
{
    ++playCalls;
    rate_ = 1.0;
}

void FakePlayer::pause()
{
    ++pauseCalls;
    rate_ = 0.0;
}

std::unique_ptr<Observation> FakePlayer::observeTimeControlStatus(TimeControlHandler handler)
{
    return observers_.add(std::move(handler));
}

void FakePlayer::reportTimeControlStatus(TimeControlStatus status)
{
    timeControlStatus_ = status;
    observers_.notify(status);
}

std::unique_ptr<Observation> FakeMediaBackend::observeVolume(VolumeHandler handler)
{
    return volumeObservers_.add([handler = std::move(handler)](std::optional<double> volume) { handler(*volume); });
}

void FakeMediaBackend::reportVolumeFromOutside(double volume)
{
    volume_ = volume;
    volumeObservers_.notify(volume);
}

std::shared_ptr<MetadataOutput> FakeMediaBackend::makeMetadataOutput()
{
    outputs.push_back(std::make_shared<FakeMetadataOutput>());
    return outputs.back();
}

std::shared_ptr<PlayerItem> FakeMediaBackend::makePlayerItem(const QUrl& url)
{
    items.push_back(std::make_shared<FakePlayerItem>(url));
    return items.back();
}

std::shared_ptr<Player> FakeMediaBackend::makePlayer(const std::shared_ptr<PlayerItem>& item)
{
    players.push_back(std::make_shared<FakePlayer>(item));
    return players.back();
}

MediaError urlError(long long code, std::shared_ptr<const MediaError> underlying)
{
    return MediaError{NSURLErrorDomain, code, QStringLiteral("URL error %1").arg(code), std::move(underlying)};
}

} // namespace tunara::testing
