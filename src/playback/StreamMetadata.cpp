// Stream metadata: choosing one item from each delivery of timed
// metadata, loading its text and splitting it into artist and title.

#include "PlaybackController.h"

#include "DisplayText.h"

namespace tunara {

namespace {

bool endsWith(const std::optional<QString>& identifier, QLatin1String suffix)
{
    return identifier && identifier->endsWith(suffix, Qt::CaseSensitive);
}

} // namespace

void PlaybackController::metadataOutput(const std::shared_ptr<MetadataOutput>& output,
                                        const std::vector<TimedMetadataGroup>& groups)
{
    std::shared_ptr<MetadataItem> item = selectMetadataItem(groups);
    if (!item)
        return;
    postWeakly([item = std::move(item), output](PlaybackController& self) { self.handleMetadataValue(item, output); });
}

std::shared_ptr<MetadataItem> PlaybackController::selectMetadataItem(const std::vector<TimedMetadataGroup>& groups)
{
    std::vector<std::shared_ptr<MetadataItem>> items;
    for (const TimedMetadataGroup& group : groups) {
        for (const auto& item : group.items) {
            if (item)
                items.push_back(item);
        }
    }
    // The first title item wins: the common title key, a stream title, or
    // an ID3 title frame, whichever comes first.
    for (const auto& item : items) {
        if (item->commonKey() == MetadataCommonKeyTitle || endsWith(item->identifier(), QLatin1String("StreamTitle")) ||
            endsWith(item->identifier(), QLatin1String("TIT2")))
            return item;
    }
    // Failing that, the last item that is not a stream URL.
    for (auto it = items.crbegin(); it != items.crend(); ++it) {
        if (!endsWith((*it)->identifier(), QLatin1String("StreamUrl")))
            return *it;
    }
    return nullptr;
}

void PlaybackController::handleMetadataValue(std::shared_ptr<MetadataItem> item, std::shared_ptr<MetadataOutput> output)
{
    item->loadStringValue([weak = lifetime_.weak(), self = this, output](MetadataItem::LoadResult result) {
        if (!weak.lock() || result.failed || !result.value)
            return;
        // Text from the stream is never trusted: it is cleaned before it is
        // stored or published.
        const QString trimmed = cleanDisplayText(*result.value);
        if (trimmed.isEmpty())
            return;
        // A value from an output that is no longer current belongs to a
        // station that has since been replaced or stopped.
        if (!self->metadataCollector_ || self->metadataCollector_ != output)
            return;
        self->setMetadata(parseStreamTitle(trimmed));
        self->refreshNowPlaying(self->status_ == PlayingStatus::playing);
    });
}

ParsedMetadata PlaybackController::parseStreamTitle(const std::optional<QString>& raw)
{
    if (!raw)
        return ParsedMetadata::placeholder();
    const QString text = raw->trimmed();
    if (text.isEmpty())
        return ParsedMetadata::placeholder();

    static const QString separator = QStringLiteral(" - ");
    const qsizetype at = text.indexOf(separator);
    if (at < 0)
        return ParsedMetadata{text, std::nullopt};

    const QString artist = text.left(at).trimmed();
    const QString title = text.mid(at + separator.size()).trimmed();
    ParsedMetadata parsed;
    parsed.title = title.isEmpty() ? ParsedMetadata::placeholderTitle : title;
    if (!artist.isEmpty())
        parsed.artist = artist;
    return parsed;
}

} // namespace tunara
