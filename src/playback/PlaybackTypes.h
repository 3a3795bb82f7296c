#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

#include <optional>

namespace tunara {
Q_NAMESPACE

// What the player is doing for the selected station.
enum class PlayingStatus {
    loading,   // started, has not played since its last fresh start
    buffering, // has played, now waiting for data
    playing,
    error,     // given up: unrecoverable error or retries exhausted
    paused,    // paused by the user, stopped, or never started
};
Q_ENUM_NS(PlayingStatus)

const char* toString(PlayingStatus status);

// The current track, split into artist and title.
struct ParsedMetadata {
    Q_GADGET
    Q_PROPERTY(QString title MEMBER title)
    Q_PROPERTY(QString artist READ artistText)
    Q_PROPERTY(bool hasArtist READ hasArtist)

public:
    static inline const QString placeholderTitle = QStringLiteral("No track info");

    QString title = placeholderTitle; // never empty
    std::optional<QString> artist;    // never the empty text

    static ParsedMetadata placeholder() { return {}; }
    bool isPlaceholder() const { return title == placeholderTitle && !artist; }

    QString artistText() const { return artist.value_or(QString()); }
    bool hasArtist() const { return artist.has_value(); }

    // Texts that are canonically equivalent in Unicode compare equal.
    friend bool operator==(const ParsedMetadata& a, const ParsedMetadata& b);
};

} // namespace tunara

Q_DECLARE_METATYPE(tunara::ParsedMetadata)
