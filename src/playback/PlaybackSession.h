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

// What the stream is, as far as it has said: its codec, its bit rate (the
// nominal one it announces, else one measured), its sample rate and its
// channels; empty or 0 where it has not said. Reported again as it changes.
struct StreamDetails {
    QString codec;
    int bitrate = 0; // bits a second
    int sampleRate = 0;
    int channels = 0;
    friend bool operator==(const StreamDetails&, const StreamDetails&) = default;
};

using SessionEvent = std::variant<SessionState, StreamTitle, PlaybackFailure, MixerVolume, StreamDetails>;

class PlaybackSession {
public:
    using EventHandler = std::function<void(const SessionEvent&)>;

    // Destroying a session stops it; it reports nothing more.
    virtual ~PlaybackSession() = default;
    virtual void play() = 0;
    virtual void pause() = 0;
    // 0 to 1 on the cubic scale of the desktop's sliders.
    virtual void setVolume(double volume) = 0;
    // A gain of 0 to 1 applied inside the player on top of the volume, which
    // the desktop's mixer does not see: the sleep timer's fade.
    virtual void setFade(double gain) = 0;
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
