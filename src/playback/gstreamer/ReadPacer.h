#pragma once

// Spaces out the reads of a stream's network source once enough decoded
// audio waits in front of the sink.
//
// A radio server writes small pieces as it paces its stream (a few hundred
// bytes every few milliseconds). Read as they come, each piece costs a trip
// through the HTTP session's thread, the source's thread and the decoder's,
// which is most of a player's CPU time while it plays. With a buffer to spare, the source
// waits between reads instead, lets the pieces gather in the socket and
// takes them in one block (souphttpsrc grows its block size when reads come
// back full). Below the level the source reads at once, so start-up and
// refilling after a gap are not slowed.

#include "GLibHeaders.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace tunara::gst {

class ReadPacer : public std::enable_shared_from_this<ReadPacer> {
public:
    // Seconds of audio buffered; called on the source's streaming thread.
    using LevelSource = std::function<double()>;

    // From spareLevel seconds buffered on, reads are spaced by the given
    // share of the level, at most longestInterval seconds.
    ReadPacer(LevelSource level, double spareLevel, double share, double longestInterval);

    // The level of a queue's "current-level-time"; the queue is held.
    static LevelSource queueLevel(GstElement* queue);

    ReadPacer(const ReadPacer&) = delete;
    ReadPacer& operator=(const ReadPacer&) = delete;

    // Paces the buffers leaving the source's "src" pad.
    void attach(GstElement* source);
    // Releases a waiting read and stops pacing: call before the pipeline stops.
    void cancel();

private:
    using Clock = std::chrono::steady_clock;

    static GstPadProbeReturn onBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer data);
    void pace();

    const LevelSource level_;
    const double spareLevel_;
    const double share_;
    const double longestInterval_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool cancelled_ = false;
    Clock::time_point lastRead_{};
};

} // namespace tunara::gst
