#pragma once

// The timed-metadata output and items of the GStreamer backend.

#include "TagMetadata.h"

#include "playback/MediaBackend.h"
#include "playback/Scheduler.h"

namespace tunara::gst {

class GstMetadataItem final : public MetadataItem {
public:
    GstMetadataItem(Scheduler& scheduler, MetadataEntry entry) : scheduler_(scheduler), entry_(std::move(entry)) {}

    std::optional<QString> commonKey() const override { return entry_.commonKey; }
    std::optional<QString> identifier() const override { return entry_.identifier; }
    void loadStringValue(std::function<void(LoadResult)> completion) override;

private:
    Scheduler& scheduler_;
    MetadataEntry entry_;
};

class GstMetadataOutput final : public MetadataOutput, public std::enable_shared_from_this<GstMetadataOutput> {
public:
    void setDelegate(MetadataOutputPushDelegate* delegate, std::weak_ptr<void> delegateLifetime) override;
    void clearDelegate() override;

    // Hands groups to the delegate, if it is still there. Main thread only.
    void deliver(const std::vector<TimedMetadataGroup>& groups);

private:
    MetadataOutputPushDelegate* delegate_ = nullptr;
    std::weak_ptr<void> delegateLifetime_;
};

} // namespace tunara::gst
