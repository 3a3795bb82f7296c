#include "GstMetadata.h"

namespace tunara::gst {

void GstMetadataItem::loadStringValue(std::function<void(LoadResult)> completion)
{
    scheduler_.post([value = entry_.value, completion = std::move(completion)] {
        completion(LoadResult{false, value});
    });
}

void GstMetadataOutput::setDelegate(MetadataOutputPushDelegate* delegate, std::weak_ptr<void> delegateLifetime)
{
    delegate_ = delegate;
    delegateLifetime_ = std::move(delegateLifetime);
}

void GstMetadataOutput::clearDelegate()
{
    delegate_ = nullptr;
    delegateLifetime_.reset();
}

void GstMetadataOutput::deliver(const std::vector<TimedMetadataGroup>& groups)
{
    const auto alive = delegateLifetime_.lock();
    if (delegate_ && alive)
        delegate_->metadataOutput(shared_from_this(), groups);
}

} // namespace tunara::gst
