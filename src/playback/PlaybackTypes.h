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
    error,     // given up: a final failure, or the retries ran out
    paused,    // paused by the user, stopped, or never started
};
Q_ENUM_NS(PlayingStatus)

// The current track, split into artist and title.
struct Track {
    QString title;                 // never empty
    std::optional<QString> artist; // never the empty text

    // Texts that are canonically equivalent in Unicode compare equal.
    friend bool operator==(const Track& a, const Track& b);
};

// Splits a stream title at its first " - " into artist and title; none
// when the text is only white space.
std::optional<Track> parseStreamTitle(const QString& text);

// What the desktop's media widgets show: the track (none before the
// stream names one), the station, and whether it plays.
struct NowPlaying {
    std::optional<Track> track;
    QString station;
    bool playing = false;
};

} // namespace tunara
