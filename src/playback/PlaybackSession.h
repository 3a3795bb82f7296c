#pragma once

// The seam between the player and the media framework. A session plays one
// start of one station; it reports what happens to it as plain events, on
// the main thread, each once, until it is destroyed. The program's sessions
// are GStreamer pipelines; tests script their own.

#include "PlaybackFailure.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <variant>

namespace tunara {

// Where a session's connection stands.
enum class SessionState {
    connecting, // reaching the server and reading the first data
    buffering,  // connected, waiting for enough audio to play
    playing,    // the audio is being played
    paused,     // held, as the player asked
};

// The stream's track text, as the stream sent it (its charset repaired).
struct StreamTitle {
    QString text;
};

// The stream's volume was moved outside the player (in the desktop's mixer).
struct MixerVolume {
    double volume;
};

using SessionEvent = std::variant<SessionState, StreamTitle, PlaybackFailure, MixerVolume>;

class PlaybackSession {
public:
    using EventHandler = std::function<void(const SessionEvent&)>;

    // Destroying a session stops it; it reports nothing more.
    virtual ~PlaybackSession() = default;
    virtual void play() = 0;
    virtual void pause() = 0;
    // 0 to 1 on the cubic scale of the desktop's sliders.
    virtual void setVolume(double volume) = 0;
};

class MediaBackend {
public:
    virtual ~MediaBackend() = default;
    // Starts playing a station's URL at a volume; the name is what the
    // desktop's mixer shows.
    virtual std::unique_ptr<PlaybackSession> start(const QUrl& url, const QString& stationName, double volume,
                                                   PlaybackSession::EventHandler handler) = 0;
};

} // namespace tunara
