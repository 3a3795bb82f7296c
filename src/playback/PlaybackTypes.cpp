#include "PlaybackTypes.h"

namespace tunara {

namespace {

bool canonicallyEqual(const QString& a, const QString& b)
{
    return a == b || a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

} // namespace

bool operator==(const Track& a, const Track& b)
{
    if (!canonicallyEqual(a.title, b.title) || a.artist.has_value() != b.artist.has_value())
        return false;
    return !a.artist || canonicallyEqual(*a.artist, *b.artist);
}

std::optional<Track> parseStreamTitle(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // Only the first separator splits: the rest belongs to the title. After
    // the trimming neither side of a separator can be empty.
    static const QString separator = QStringLiteral(" - ");
    const qsizetype at = trimmed.indexOf(separator);
    if (at < 0)
        return Track{trimmed, std::nullopt};
    return Track{trimmed.mid(at + separator.size()).trimmed(), trimmed.left(at).trimmed()};
}

} // namespace tunara
