#pragma once

// Decides, from the seconds of decoded audio waiting in front of the sink,
// when a live stream plays and at which tempo.
//
// Radio starts on a small buffer so the first sound comes quickly, then
// plays a few percent slower (pitch kept) while the stream keeps arriving at
// its own rate, so the buffer grows until it can ride out a network gap.
// When the buffer runs dry, playback waits until it holds enough to resume.

namespace tunara::gst {

struct BufferSettings {
    double startLevel = 0.3;   // seconds buffered before the first sound
    double resumeLevel = 1.0;  // seconds buffered before resuming after running dry
    double targetLevel = 3.0;  // the buffer grows to this while playing
    double maximumLevel = 6.0; // the buffer holds at most this
    double slowTempo = 0.96;   // tempo while the buffer is below its target
    double tempoHysteresis = 0.5; // seconds below the target before slowing again
    double dryLevel = 0.005;   // below this the buffer counts as empty
    double readPacingLevel = 0.3; // with this much buffered the network is read in spaced blocks,
    double readIntervalShare = 0.25; // waiting this share of the buffered seconds between reads,
    double longestReadInterval = 0.5; // but no longer than this
    double waitingCheckInterval = 0.1; // seconds between looks at the buffer while waiting to render
    double longestCheckInterval = 1.0; // the longest while rendering (running dry is signalled at once)
};

class BufferPolicy {
public:
    explicit BufferPolicy(BufferSettings settings = {}) : settings_(settings) {}

    struct Decision {
        bool render = false;
        double tempo = 1.0;
    };

    // wantsToPlay: the player was asked to play; level: seconds buffered;
    // inputEnded: the stream's end is in the buffer, nothing more will come.
    Decision update(bool wantsToPlay, double level, bool inputEnded);

    // Seconds until the level, falling at most as fast as it plays with
    // nothing arriving, could call for another decision.
    double nextCheck(double level) const;

    const BufferSettings& settings() const { return settings_; }

private:
    bool isDry(double level, bool inputEnded) const { return level < settings_.dryLevel && !inputEnded; }
    bool holdsEnoughToPlay(double level, bool inputEnded) const;

    BufferSettings settings_;
    bool rendering_ = false;
    bool hasRendered_ = false;
    double tempo_ = 1.0;
};

} // namespace tunara::gst
