// A session's output: the bin that buffers decoded audio in front of the
// sink and sets the tempo, the buffer policy that decides when it plays,
// and the volume, on the sink's own stream volume when it has one.

#include "PlaybinSession.h"

#include "PipelineHandles.h"
#include "SessionCallbacks.h"

#include "playback/StartTrace.h"

#include <gst/audio/streamvolume.h>

#include <algorithm>
#include <cmath>

namespace tunara::gst {

void PlaybinSession::setWantsToPlay(bool wantsToPlay)
{
    wantsToPlay_ = wantsToPlay;
    // The player asked: what follows is reported from the main loop, not
    // from inside its call.
    scheduler_.post([session = weak_from_this()] {
        if (auto alive = session.lock()) {
            if (alive->pipeline_)
                alive->evaluate();
            else
                alive->updateState();
        }
    });
}

void PlaybinSession::setVolume(double volume)
{
    volume_ = volume;
    traits_->volume = volume;
    applyVolume();
}

void PlaybinSession::setFade(double gain)
{
    fade_ = std::clamp(gain, 0.0, 1.0);
    applyVolume();
}

void PlaybinSession::applyVolume()
{
    // The sink's own volume is the one the mixer shows; the fade is ours.
    if (sinkVolume_)
        gst_stream_volume_set_volume(GST_STREAM_VOLUME(sinkVolume_), GST_STREAM_VOLUME_FORMAT_CUBIC, volume_);
    const double soft = sinkVolume_ ? 1.0 : gst_stream_volume_convert_volume(GST_STREAM_VOLUME_FORMAT_CUBIC,
                                                                             GST_STREAM_VOLUME_FORMAT_LINEAR, volume_);
    if (softVolume_)
        gst_stream_volume_set_volume(GST_STREAM_VOLUME(softVolume_), GST_STREAM_VOLUME_FORMAT_LINEAR, soft * fade_);
}

void PlaybinSession::useSinkVolume(const std::shared_ptr<StreamTraits>& traits, GstElement* sink)
{
    if (traits != traits_ || !pipeline_)
        return;
    sinkVolume_ = sink;
    applyVolume(); // the volume may have moved since the sink appeared
}

void PlaybinSession::sinkVolumeChanged(const std::shared_ptr<StreamTraits>& traits)
{
    if (traits != traits_ || !sinkVolume_)
        return;
    const double volume =
        gst_stream_volume_get_volume(GST_STREAM_VOLUME(sinkVolume_), GST_STREAM_VOLUME_FORMAT_CUBIC);
    // The sound server keeps volumes in steps: an echo of our own setting
    // comes back a little off.
    constexpr double tolerance = 0.005;
    if (std::abs(volume - volume_) <= tolerance)
        return;
    volume_ = volume;
    traits_->volume = volume;
    report(MixerVolume{volume});
}

GstElement* PlaybinSession::buildOutput()
{
    GstElement* pitch = gst_element_factory_make("pitch", nullptr); // optional: tempo stays 1 without it
    GstElement* queue = gst_element_factory_make("queue", "jitter-buffer");
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* volume = gst_element_factory_make("volume", nullptr);
    GstElement* sink = settings_.makeAudioSink ? settings_.makeAudioSink()
                                               : gst_element_factory_make("autoaudiosink", nullptr);
    if (!queue || !convert || !resample || !volume || !sink) {
        for (GstElement* element : {pitch, queue, convert, resample, volume, sink}) {
            if (element)
                gst_object_unref(gst_object_ref_sink(element));
        }
        return nullptr;
    }

    const double maximum = settings_.buffering.maximumLevel;
    g_object_set(queue, "max-size-time", guint64(maximum * GST_SECOND), "max-size-bytes", 0u, "max-size-buffers",
                 0u, nullptr);
    GstElement* bin = gst_bin_new("tunara-output");
    gst_bin_add_many(GST_BIN(bin), queue, convert, resample, volume, sink, nullptr);
    gst_element_link_many(queue, convert, resample, volume, sink, nullptr);
    // Until the sink shows a volume of its own, the volume is applied here.
    softVolume_ = volume;
    applyVolume();
    audioSink_ = sink;
    GstElement* first = queue;
    if (pitch) {
        gst_bin_add(GST_BIN(bin), pitch);
        gst_element_link(pitch, queue);
        first = pitch;
    }
    GstPad* input = gst_element_get_static_pad(first, "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", input));
    gst_object_unref(input);

    jitterBuffer_ = queue;
    pitch_ = pitch;
    const BufferSettings& buffering = settings_.buffering;
    traits_->readPacer = std::make_shared<ReadPacer>(ReadPacer::queueLevel(queue), buffering.readPacingLevel,
                                                     buffering.readIntervalShare, buffering.longestReadInterval);
    return bin;
}

void PlaybinSession::connectOutput()
{
    // The desktop's sink is made by autoaudiosink when it starts.
    if (GST_IS_CHILD_PROXY(audioSink_) && !settings_.makeAudioSink)
        pipeline_->connect(audioSink_, "child-added", G_CALLBACK(sinkAdded), newRelay(), Relay::destroy);
    else
        configureSink(audioSink_, Relay{&scheduler_, weak_from_this(), traits_});
    pipeline_->connect(jitterBuffer_, "underrun", G_CALLBACK(bufferRanDry), newRelay(), Relay::destroy);
    GstPad* queueInput = gst_element_get_static_pad(jitterBuffer_, "sink");
    pipeline_->addProbe(queueInput, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, watchStreamEnd, newRelay(),
                        [](gpointer relay) { Relay::destroy(relay); });
    pipeline_->addProbe(queueInput, GST_PAD_PROBE_TYPE_BUFFER, watchArrivals, newRelay(),
                        [](gpointer relay) { Relay::destroy(relay); });
    // The decoded audio's caps and the tags on their way: what the stream is.
    pipeline_->addProbe(queueInput, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, watchDetails, newRelay(),
                        [](gpointer relay) { Relay::destroy(relay); });
    if (trace::enabled())
        gst_pad_add_probe(queueInput, GST_PAD_PROBE_TYPE_BUFFER, traceFirstDecoded, traits_.get(), nullptr);
    gst_object_unref(queueInput);
    GstPad* volumeOutput = gst_element_get_static_pad(softVolume_, "src");
    pipeline_->addProbe(volumeOutput, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, watchTitles, newRelay(),
                        [](gpointer relay) { Relay::destroy(relay); });
    gst_object_unref(volumeOutput);
}

void PlaybinSession::evaluate()
{
    traits_->evaluationPending = false;
    if (!pipeline_ || failed_)
        return;
    guint64 levelNanoseconds = 0;
    g_object_get(jitterBuffer_, "current-level-time", &levelNanoseconds, nullptr);
    const double level = double(levelNanoseconds) / double(GST_SECOND);
    const bool ended = traits_->inputEnded;

    const auto decision = policy_.update(wantsToPlay_ && prerolled_, level, ended);
    if (pitch_ && decision.tempo != tempo_) {
        tempo_ = decision.tempo;
        g_object_set(pitch_, "tempo", gfloat(tempo_), nullptr);
    }
    if (decision.render != renderRequested_) {
        renderRequested_ = decision.render;
        traits_->waitingToRender = !renderRequested_;
        pipelinePlaying_ = false;
        gst_element_set_state(pipeline_->get(), renderRequested_ ? GST_STATE_PLAYING : GST_STATE_PAUSED);
    }
    updateState();

    // The buffer is looked at often only while waiting to render; running dry
    // and the input's end are signalled from the pipeline's threads.
    nextCheck_ = policy_.nextCheck(level);
    if (nextCheck_ < armedCheck_)
        rearmPollSoon();
}

void PlaybinSession::armPoll()
{
    armedCheck_ = nextCheck_;
    pollTimer_ = scheduler_.startTimer(nextCheck_, [session = weak_from_this()] {
        if (auto alive = session.lock()) {
            alive->armedCheck_ = 0; // spent: re-armed once, below
            alive->evaluate();
            alive->rearmPollSoon();
        }
    });
}

void PlaybinSession::rearmPollSoon()
{
    // From a fresh task: the poll timer may be running its own.
    scheduler_.post([session = weak_from_this()] {
        if (auto alive = session.lock(); alive && alive->pipeline_)
            alive->armPoll();
    });
}

void PlaybinSession::updateState()
{
    if (failed_)
        return;
    SessionState next = SessionState::buffering;
    if (!prerolled_)
        next = SessionState::connecting;
    else if (!wantsToPlay_)
        next = SessionState::paused;
    else if (renderRequested_ && pipelinePlaying_)
        next = SessionState::playing;
    if (next == state_)
        return;
    state_ = next;
    report(next);
}

} // namespace tunara::gst
