#pragma once

// One start of one station: a playbin reading the stream, and an output bin
// that buffers decoded audio in front of the sink and sets the tempo. It
// follows the pipeline's bus on the main thread and reports the session's
// events: its state, the stream's title, a failure, a volume set in the
// desktop's mixer.

#include "BufferPolicy.h"
#include "ConnectionProbe.h"
#include "ErrorMapping.h"
#include "PlaylistFetch.h"
#include "ReadPacer.h"
#include "TagMetadata.h"

#include "playback/PlaybackSession.h"
#include "playback/Scheduler.h"

#include "GLibHeaders.h"

#include <QUrl>

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace tunara::gst {

class OwnedPipeline;

struct SessionSettings {
    std::function<GstElement*()> makeAudioSink; // autoaudiosink when empty
    unsigned sourceTimeoutSeconds = 15;
    // Seconds a stream has to become playable before it fails.
    double startTimeoutSeconds = 15;
    BufferSettings buffering;
    // Who hears that a pipeline has gone (on the main thread).
    std::function<void()> pipelineReleased;
};

class PlaybinSession : public std::enable_shared_from_this<PlaybinSession> {
public:
    struct StreamTraits;

    // Events go to handler on the main thread, from the first turn of the
    // main loop after start() on, until stop().
    PlaybinSession(Scheduler& scheduler, SessionSettings settings, QUrl url, QString stationName, double volume,
                   PlaybackSession::EventHandler handler);
    ~PlaybinSession();

    PlaybinSession(const PlaybinSession&) = delete;
    PlaybinSession& operator=(const PlaybinSession&) = delete;

    // Builds the pipeline and starts loading the stream; it plays once
    // enough has arrived, unless paused.
    void start();
    // Stops and releases the pipeline; the session reports nothing more.
    void stop();
    void setWantsToPlay(bool wantsToPlay);
    // 0 to 1 on the cubic scale; from the first sample on.
    void setVolume(double volume);
    // A gain on top of the volume, applied in the pipeline.
    void setFade(double gain);

    SessionState state() const { return state_; }
    bool hasFailed() const { return failed_; }

    // Main thread only; the pipeline's threads reach these through the scheduler.
    void handleMessage(GstMessage* message);
    // A part of the stream asked for a URI of this scheme, which is never
    // opened; traits name the pipeline that asked.
    void refuseScheme(const std::shared_ptr<StreamTraits>& traits, const QString& scheme);
    // Re-reads the buffer and applies the policy: state, tempo.
    void evaluate();
    // The title of tags on their way into the sink.
    void titleArrived(const std::shared_ptr<StreamTraits>& traits, const QString& title);
    // What tags or caps said of the stream.
    void detailsArrived(const std::shared_ptr<StreamTraits>& traits, const DetailsSeen& seen);

    // Values the pipeline's own threads set, read on the main thread.
    struct StreamTraits {
        std::atomic<bool> icy{false};
        std::atomic<bool> id3{false};
        std::atomic<bool> inputEnded{false};
        std::atomic<bool> bytesArrived{false}; // the stream's HTTP source has read something
        // While the output waits to play, each arrival asks for one evaluation.
        std::atomic<bool> waitingToRender{true};
        std::atomic<bool> evaluationPending{false};
        // The volume the sink gets when it appears.
        std::atomic<double> volume{1.0};
        // Start steps already traced for this pipeline.
        std::atomic<bool> connectedMarked{false};
        std::atomic<bool> firstDecodedMarked{false};
        std::atomic<bool> sinkStartedMarked{false};
        void markOnce(std::atomic<bool>& marked, const char* event);
        unsigned sourceTimeoutSeconds = 15;
        QString stationName; // set before the pipeline starts, read by its threads
        // Paces the stream's own HTTP source; set while no pipeline runs.
        std::shared_ptr<ReadPacer> readPacer;

        // The scheme of a non-web URI some element asked a source for.
        void noteRefusedScheme(const QString& scheme);
        QString refusedScheme() const;

    private:
        mutable std::mutex mutex_;
        QString refusedScheme_;
    };

    // The sink turned out to have a volume of its own (the sound server's
    // stream volume): it is used instead of the output's.
    void useSinkVolume(const std::shared_ptr<StreamTraits>& traits, GstElement* sink);
    void sinkVolumeChanged(const std::shared_ptr<StreamTraits>& traits);

private:
    // Where the pipeline reads: the station URL, or an entry of a playlist
    // file it names (depth 1), or of a playlist named there (depth 2).
    struct Source {
        QUrl url;
        int depth = 0;
    };
    static constexpr int maxPlaylistDepth = 2;

    // Before any audio has played, a failing source gives way to the next
    // one: the entries of a playlist file, in order.
    void startDeadlinePassed();
    void sourceFailed(FailureReason reason);
    bool tryAnotherSource(FailureReason reason);
    bool startNextSource();
    void playlistFetched(PlaylistDownload download, FailureReason sourceFailure);
    std::shared_ptr<StreamTraits> makeTraits() const;

    bool buildPipeline();
    GstElement* buildOutput();
    void connectOutput();
    // Data for a handler on a GStreamer thread: reaches this session on the main loop.
    void* newRelay();
    void handleError(GstMessage* message);
    void handleElementMessage(GstMessage* message);
    void fail(FailureReason reason);
    // For failures found while starting: reported from the main loop.
    void failSoon(FailureReason reason);
    void releasePipeline();
    void armPoll();
    void rearmPollSoon();
    void updateState();
    void applyVolume();
    void report(const SessionEvent& event);

    Scheduler& scheduler_;
    SessionSettings settings_;
    QUrl url_;
    QString stationName_;
    PlaybackSession::EventHandler handler_;
    Source current_;
    std::deque<Source> alternatives_;
    std::unique_ptr<PlaylistFetch> playlistFetch_;
    BufferPolicy policy_;
    double volume_ = 1.0;
    double fade_ = 1.0;
    std::shared_ptr<StreamTraits> traits_;

    std::unique_ptr<OwnedPipeline> pipeline_;
    GstElement* jitterBuffer_ = nullptr; // owned by the pipeline
    GstElement* pitch_ = nullptr;        // owned by the pipeline; may be absent
    GstElement* softVolume_ = nullptr;   // owned by the pipeline
    GstElement* sinkVolume_ = nullptr;   // owned by the pipeline; the sink, when it has a volume
    GstElement* audioSink_ = nullptr;    // owned by the pipeline
    std::unique_ptr<OneShotTimer> pollTimer_;
    std::unique_ptr<OneShotTimer> startDeadline_;
    double nextCheck_ = 0;  // seconds until the buffer should be looked at again
    double armedCheck_ = 0; // what the poll timer was armed with
    std::unique_ptr<ConnectionProbe> probe_;

    SessionState state_ = SessionState::connecting;
    bool prerolled_ = false; // the stream's first audio reached the sink
    bool failed_ = false;
    bool stopped_ = false;
    bool wantsToPlay_ = true;
    bool renderRequested_ = false;
    bool pipelinePlaying_ = false;
    double tempo_ = 1.0;
    QString lastTitle_;
    DetailsSeen detailsSeen_;
    StreamDetails reportedDetails_;

    // What the HTTP sources answered, to explain a later error.
    std::map<const GstObject*, unsigned> httpStatusBySource_;
    std::optional<unsigned> lastFailureStatus_;
    QString redirectLocation_;
    QString refusedScheme_;
};

} // namespace tunara::gst
