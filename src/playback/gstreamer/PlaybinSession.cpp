#include "PlaybinSession.h"

#include "GObjectPtr.h"
#include "MixerStream.h"
#include "PipelineHandles.h"
#include "RefusingUriSource.h"

#include "playback/PlaylistParser.h"
#include "playback/StartTrace.h"

#include <QRegularExpression>

#include <gst/audio/streamvolume.h>

#include <cstring>

namespace tunara::gst {

namespace {

// playbin's GstPlayFlags: audio only, software volume. Without the
// buffering flag playbin posts no BUFFERING messages: the output bin
// buffers decoded audio itself.
constexpr guint playFlagAudio = 1u << 1;
constexpr guint playFlagSoftVolume = 1u << 4;

// For each station URL that named a playlist, the entry that last played,
// so the next start goes straight to it. Main thread only.
struct WorkingEntry {
    QUrl url;
    int depth = 0;
};
std::map<QString, WorkingEntry>& workingEntries()
{
    static std::map<QString, WorkingEntry> entries;
    return entries;
}

bool mayBePlaylist(const MediaError& error)
{
    // What playbin says of a body that is not audio: a playlist file is text.
    return error.domain == AVFoundationErrorDomain
        && (error.code == avError::fileFormatNotRecognized || error.code == avError::decoderNotFound
            || error.code == avError::failedToParse);
}

// Hands work from GStreamer's threads to the session on the main thread.
struct Relay {
    Scheduler* scheduler;
    std::weak_ptr<PlaybinSession> session;
    std::shared_ptr<PlaybinSession::StreamTraits> traits;

    template <typename Work>
    void post(Work work) const
    {
        scheduler->post([session = session, work = std::move(work)] {
            if (auto alive = session.lock())
                work(*alive);
        });
    }

    static void destroy(gpointer relay, GClosure* = nullptr) { delete static_cast<Relay*>(relay); }
};

const char* factoryName(GstObject* object)
{
    if (!GST_IS_ELEMENT(object))
        return "";
    GstElementFactory* factory = gst_element_get_factory(GST_ELEMENT(object));
    return factory ? gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)) : "";
}

bool isHttpSource(GstObject* object)
{
    return std::strcmp(factoryName(object), "souphttpsrc") == 0;
}

bool isRelayed(GstMessage* message)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_ASYNC_DONE:
    case GST_MESSAGE_TAG:
    case GST_MESSAGE_ELEMENT: return true;
    case GST_MESSAGE_STATE_CHANGED: return GST_IS_PIPELINE(GST_MESSAGE_SRC(message));
    default: return false;
    }
}

// The start steps a bus message marks, as it is posted.
void traceStartSteps(GstMessage* message, PlaybinSession::StreamTraits& traits)
{
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ELEMENT
        && gst_structure_has_name(gst_message_get_structure(message), "http-headers"))
        traits.markOnce(traits.connectedMarked, "connected");
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_STATE_CHANGED && GST_IS_PIPELINE(GST_MESSAGE_SRC(message))) {
        GstState newState = GST_STATE_NULL;
        gst_message_parse_state_changed(message, nullptr, &newState, nullptr);
        if (newState == GST_STATE_PLAYING)
            traits.markOnce(traits.sinkStartedMarked, "sink-started");
    }
}

// A sync handler that drops a message owns it: the message is released
// here, or once the main loop has handled it.
GstBusSyncReply relayBusMessage(GstBus*, GstMessage* message, gpointer data)
{
    std::shared_ptr<GstMessage> owned(message, [](GstMessage* held) { gst_message_unref(held); });
    auto* relay = static_cast<Relay*>(data);
    if (trace::enabled())
        traceStartSteps(message, *relay->traits);
    if (isRelayed(message))
        relay->post([owned](PlaybinSession& session) { session.handleMessage(owned.get()); });
    return GST_BUS_DROP;
}

GstPadProbeReturn traceFirstDecoded(GstPad*, GstPadProbeInfo*, gpointer data)
{
    auto& traits = *static_cast<PlaybinSession::StreamTraits*>(data);
    traits.markOnce(traits.firstDecodedMarked, "first-decoded");
    return GST_PAD_PROBE_REMOVE;
}

// Tags on their way into the sound server's sink carry the title as its
// mixer shows it.
GstPadProbeReturn rewriteTitleForMixer(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_TAG)
        return GST_PAD_PROBE_OK;
    GstTagList* tags = nullptr;
    gst_event_parse_tag(event, &tags);
    const auto& traits = *static_cast<Relay*>(data)->traits;
    if (GstTagList* rewritten = tagsForMixer(tags, traits.displayName())) {
        GST_PAD_PROBE_INFO_DATA(info) = gst_event_new_tag(rewritten);
        gst_event_unref(event);
    }
    return GST_PAD_PROBE_OK;
}

void volumeNotified(GObject*, GParamSpec*, gpointer data)
{
    const auto& relay = *static_cast<Relay*>(data);
    relay.post([traits = relay.traits](PlaybinSession& session) { session.sinkVolumeChanged(traits); });
}

bool hasStreamVolume(GstElement* sink)
{
    return GST_IS_STREAM_VOLUME(sink) && g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "volume");
}

// A sink with a stream volume of its own (PulseAudio's) plays at the
// application's volume and is named for the mixer before its stream
// exists; changes made in the mixer come back. Any thread.
void configureSink(GstElement* sink, const Relay& relay)
{
    if (!hasStreamVolume(sink))
        return;
    if (std::strcmp(factoryName(GST_OBJECT(sink)), "pulsesink") == 0) {
        GstStructure* properties = mixerStreamProperties(relay.traits->displayName());
        g_object_set(sink, "client-name", applicationName, "stream-properties", properties, nullptr);
        gst_structure_free(properties);
        GstPad* input = gst_element_get_static_pad(sink, "sink");
        gst_pad_add_probe(input, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, rewriteTitleForMixer,
                          new Relay(relay), [](gpointer held) { Relay::destroy(held); });
        gst_object_unref(input);
    }
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(sink), GST_STREAM_VOLUME_FORMAT_CUBIC, relay.traits->volume);
    g_signal_connect_data(sink, "notify::volume", G_CALLBACK(volumeNotified), new Relay(relay), Relay::destroy,
                          GConnectFlags(0));
    std::shared_ptr<GstElement> held(GST_ELEMENT(gst_object_ref(sink)), gst_object_unref);
    relay.post([traits = relay.traits, held](PlaybinSession& session) { session.useSinkVolume(traits, held.get()); });
}

void sinkAdded(GstChildProxy*, GObject* child, gchar*, gpointer data)
{
    if (GST_IS_ELEMENT(child))
        configureSink(GST_ELEMENT(child), *static_cast<Relay*>(data));
}

GstPadProbeReturn noteFirstBytes(GstPad*, GstPadProbeInfo*, gpointer data)
{
    auto& traits = *static_cast<PlaybinSession::StreamTraits*>(data);
    if (!traits.bytesArrived.exchange(true))
        trace::mark("first-byte");
    return GST_PAD_PROBE_REMOVE;
}

void noteElementAdded(GstBin*, GstBin* parent, GstElement* element, gpointer data)
{
    const auto& relay = *static_cast<Relay*>(data);
    auto& traits = *relay.traits;
    const char* name = factoryName(GST_OBJECT(element));
    if (std::strcmp(name, "souphttpsrc") == 0) {
        g_object_set(element, "timeout", traits.sourceTimeoutSeconds, nullptr);
        if (GstPad* output = gst_element_get_static_pad(element, "src")) {
            // The traits outlive the probe: the relay holding them goes with the pipeline.
            gst_pad_add_probe(output, GST_PAD_PROBE_TYPE_BUFFER, noteFirstBytes, &traits, nullptr);
            gst_object_unref(output);
        }
        // Only the stream's own source: HLS segment downloads go at full speed.
        if (traits.readPacer && std::strcmp(factoryName(GST_OBJECT(parent)), "uridecodebin") == 0)
            traits.readPacer->attach(element);
    }
    else if (std::strcmp(name, refusingSourceName) == 0)
    {
        // Some part of the stream (an HLS variant or segment) names a URI
        // this player never opens: the stream fails now, not after the
        // demuxer's retries.
        const GCharPtr uri(gst_uri_handler_get_uri(GST_URI_HANDLER(element)));
        const QString scheme = QString::fromUtf8(uri.get()).section(QLatin1Char(':'), 0, 0);
        traits.noteRefusedScheme(scheme);
        relay.post([scheme, traits = relay.traits](PlaybinSession& session) { session.refuseScheme(traits, scheme); });
    }
    else if (std::strcmp(name, "icydemux") == 0)
        traits.icy = true;
    else if (std::strcmp(name, "id3demux") == 0 || std::strcmp(name, "hlsdemux") == 0)
        traits.id3 = true;
}

void bufferRanDry(GstElement*, gpointer data)
{
    static_cast<Relay*>(data)->post([](PlaybinSession& session) { session.evaluate(); });
}

GstPadProbeReturn watchStreamEnd(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto* relay = static_cast<Relay*>(data);
    const GstEventType type = GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info));
    if (type == GST_EVENT_EOS || type == GST_EVENT_STREAM_START) {
        relay->traits->inputEnded = type == GST_EVENT_EOS;
        relay->post([](PlaybinSession& session) { session.evaluate(); });
    }
    return GST_PAD_PROBE_OK;
}

bool isWebScheme(const QString& scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// A URI in an error text whose scheme this player never opens.
QString refusedSchemeIn(const QString& text)
{
    static const QRegularExpression uriScheme(QStringLiteral("([A-Za-z][A-Za-z0-9+.-]*)://"));
    auto matches = uriScheme.globalMatch(text);
    while (matches.hasNext()) {
        const QString scheme = matches.next().captured(1).toLower();
        if (!isWebScheme(scheme))
            return scheme;
    }
    return {};
}

QString stringProperty(GstObject* object, const char* property)
{
    gchar* value = nullptr;
    g_object_get(object, property, &value, nullptr);
    const GCharPtr owned(value);
    return QString::fromUtf8(value);
}

} // namespace

void PlaybinSession::StreamTraits::markOnce(std::atomic<bool>& marked, const char* event)
{
    if (!marked.exchange(true))
        trace::mark(event);
}

void PlaybinSession::StreamTraits::noteRefusedScheme(const QString& scheme)
{
    const std::lock_guard lock(mutex_);
    refusedScheme_ = scheme;
}

QString PlaybinSession::StreamTraits::refusedScheme() const
{
    const std::lock_guard lock(mutex_);
    return refusedScheme_;
}

void PlaybinSession::StreamTraits::setDisplayName(const QString& name)
{
    const std::lock_guard lock(mutex_);
    displayName_ = name;
}

QString PlaybinSession::StreamTraits::displayName() const
{
    const std::lock_guard lock(mutex_);
    return displayName_;
}

PlaybinSession::PlaybinSession(Scheduler& scheduler, SessionSettings settings, QUrl url)
    : scheduler_(scheduler)
    , settings_(std::move(settings))
    , url_(std::move(url))
    , current_{url_, 0}
    , policy_(settings_.buffering)
    , nextCheck_(settings_.buffering.waitingCheckInterval)
{
    const auto worked = workingEntries().find(url_.toString(QUrl::FullyEncoded));
    if (worked != workingEntries().end()) {
        // Start with the entry that last played; the playlist itself is
        // read again only if that entry fails.
        current_ = {worked->second.url, worked->second.depth};
        alternatives_.push_back({url_, 0});
    }
    traits_->sourceTimeoutSeconds = settings_.sourceTimeoutSeconds;
    volume_ = settings_.volume;
    traits_->volume = volume_;
    const QString scheme = url_.scheme().toLower();
    if (!isWebScheme(scheme)) {
        status_ = ItemStatus::failed;
        error_ = std::make_shared<const MediaError>(unsupportedSchemeError(scheme));
    }
}

PlaybinSession::~PlaybinSession()
{
    releasePipeline();
}

void PlaybinSession::start()
{
    if (status_ == ItemStatus::failed || pipeline_)
        return;
    if (!buildPipeline()) {
        fail(MediaError{QString::fromUtf8(g_quark_to_string(GST_CORE_ERROR)), GST_CORE_ERROR_MISSING_PLUGIN,
                        QStringLiteral("The GStreamer elements for playback are missing."), nullptr});
        return;
    }
    trace::mark("pipeline-built");
    pipeline_->setBusSyncHandler(relayBusMessage, newRelay(), [](gpointer relay) { Relay::destroy(relay); });
    gst_element_set_state(pipeline_->get(), GST_STATE_PAUSED);
    armPoll();
    startDeadline_ = scheduler_.startTimer(settings_.startTimeoutSeconds, [session = weak_from_this()] {
        if (auto alive = session.lock())
            alive->startDeadlinePassed();
    });
}

void PlaybinSession::startDeadlinePassed()
{
    // A stream that neither fails nor becomes playable would leave the
    // player loading for ever with nothing to say.
    if (!pipeline_ || status_ != ItemStatus::unknown || probe_)
        return;
    sourceFailed(traits_->bytesArrived ? unintelligibleStreamError() : startTimedOutError());
}

void PlaybinSession::refuseScheme(const std::shared_ptr<StreamTraits>& traits, const QString& scheme)
{
    if (traits != traits_ || !pipeline_ || status_ == ItemStatus::failed)
        return; // a refusal of a pipeline that has already gone
    refusedScheme_ = scheme;
    probe_.reset();
    sourceFailed(unsupportedSchemeError(scheme));
}

void PlaybinSession::stop()
{
    probe_.reset();
    playlistFetch_.reset();
    releasePipeline();
    wantsToPlay_ = false;
}

void PlaybinSession::setWantsToPlay(bool wantsToPlay)
{
    wantsToPlay_ = wantsToPlay;
    if (pipeline_)
        evaluate();
    else
        updateTimeControl();
}

void PlaybinSession::setVolume(double volume)
{
    volume_ = volume;
    traits_->volume = volume;
    applyVolume();
}

void PlaybinSession::setDisplayName(const QString& name)
{
    traits_->setDisplayName(name);
}

void PlaybinSession::applyVolume()
{
    if (sinkVolume_)
        gst_stream_volume_set_volume(GST_STREAM_VOLUME(sinkVolume_), GST_STREAM_VOLUME_FORMAT_CUBIC, volume_);
    else if (softVolume_)
        gst_stream_volume_set_volume(GST_STREAM_VOLUME(softVolume_), GST_STREAM_VOLUME_FORMAT_CUBIC, volume_);
}

void PlaybinSession::useSinkVolume(const std::shared_ptr<StreamTraits>& traits, GstElement* sink)
{
    if (traits != traits_ || !pipeline_)
        return;
    sinkVolume_ = sink;
    g_object_set(softVolume_, "volume", 1.0, nullptr);
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
    if (settings_.volumeSetOutside)
        settings_.volumeSetOutside(volume);
}

void PlaybinSession::addOutput(const std::shared_ptr<GstMetadataOutput>& output)
{
    if (std::find(outputs_.begin(), outputs_.end(), output) == outputs_.end())
        outputs_.push_back(output);
}

void PlaybinSession::removeOutput(const std::shared_ptr<GstMetadataOutput>& output)
{
    outputs_.erase(std::remove(outputs_.begin(), outputs_.end(), output), outputs_.end());
}

bool PlaybinSession::buildPipeline()
{
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin)
        return false;
    GstElement* output = buildOutput();
    if (!output) {
        gst_object_unref(gst_object_ref_sink(playbin));
        return false;
    }
    pipeline_ = std::make_unique<OwnedPipeline>(playbin);
    g_object_set(playbin, "uri", current_.url.toEncoded().constData(), "flags", playFlagAudio,
                 "audio-sink", output, nullptr);
    pipeline_->connect(playbin, "deep-element-added", G_CALLBACK(noteElementAdded), newRelay(), Relay::destroy);
    connectOutput();
    return true;
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
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(volume), GST_STREAM_VOLUME_FORMAT_CUBIC, volume_);
    softVolume_ = volume;
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

void* PlaybinSession::newRelay()
{
    return new Relay{&scheduler_, weak_from_this(), traits_};
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
    if (trace::enabled())
        gst_pad_add_probe(queueInput, GST_PAD_PROBE_TYPE_BUFFER, traceFirstDecoded, traits_.get(), nullptr);
    gst_object_unref(queueInput);
}

void PlaybinSession::releasePipeline()
{
    if (!pipeline_)
        return;
    pollTimer_.reset();
    if (traits_->readPacer)
        traits_->readPacer->cancel(); // a paced read would hold up the source's stop
    startDeadline_.reset();
    pipeline_.reset();
    traits_->readPacer.reset();
    jitterBuffer_ = nullptr;
    pitch_ = nullptr;
    softVolume_ = nullptr;
    sinkVolume_ = nullptr;
    audioSink_ = nullptr;
    renderRequested_ = false;
    pipelinePlaying_ = false;
    nextCheck_ = settings_.buffering.waitingCheckInterval;
}

void PlaybinSession::handleMessage(GstMessage* message)
{
    if (!pipeline_)
        return;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: handleError(message); break;
    case GST_MESSAGE_EOS:
        // A live stream has no end: the server closed it.
        sourceFailed(streamEndedError());
        break;
    case GST_MESSAGE_ASYNC_DONE:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline_->get()) && status_ == ItemStatus::unknown) {
            if (current_.url != url_)
                workingEntries()[url_.toString(QUrl::FullyEncoded)] = {current_.url, current_.depth};
            else
                workingEntries().erase(url_.toString(QUrl::FullyEncoded));
            alternatives_.clear();
            startDeadline_.reset();
            status_ = ItemStatus::readyToPlay;
            statusChanged.notify(status_);
            evaluate();
        }
        break;
    case GST_MESSAGE_STATE_CHANGED:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline_->get())) {
            GstState newState = GST_STATE_NULL;
            gst_message_parse_state_changed(message, nullptr, &newState, nullptr);
            pipelinePlaying_ = renderRequested_ && newState == GST_STATE_PLAYING;
            updateTimeControl();
        }
        break;
    case GST_MESSAGE_TAG: handleTags(message); break;
    case GST_MESSAGE_ELEMENT: handleElementMessage(message); break;
    default: break;
    }
}

void PlaybinSession::handleError(GstMessage* message)
{
    if (probe_ || status_ == ItemStatus::failed)
        return; // only the first error tells the cause
    GError* rawError = nullptr;
    gchar* rawDebug = nullptr;
    gst_message_parse_error(message, &rawError, &rawDebug);
    const GErrorPtr error(rawError);
    const GCharPtr debug(rawDebug);

    GstObject* source = GST_MESSAGE_SRC(message);
    FailureReport report;
    report.domain = error->domain;
    report.code = error->code;
    report.message = QString::fromUtf8(error->message);
    report.fromHttpSource = isHttpSource(source);
    report.redirectLocation = redirectLocation_;
    report.refusedScheme = refusedScheme_;
    if (report.refusedScheme.isEmpty())
        report.refusedScheme = traits_->refusedScheme();
    QString failedUrl = current_.url.toString();
    if (report.fromHttpSource) {
        const auto status = httpStatusBySource_.find(source);
        report.httpStatus = status != httpStatusBySource_.end() ? status->second : 0u;
        failedUrl = stringProperty(source, "location");
    } else {
        report.httpStatus = lastFailureStatus_;
        if (report.refusedScheme.isEmpty())
            report.refusedScheme = refusedSchemeIn(report.message + QLatin1Char('\n') + QString::fromUtf8(debug.get()));
    }

    releasePipeline();
    if (!needsConnectionProbe(report)) {
        sourceFailed(mapFailure(report));
        return;
    }
    probe_ = std::make_unique<ConnectionProbe>(
        failedUrl, std::max(1u, settings_.sourceTimeoutSeconds),
        [session = weak_from_this(), report](ProbeOutcome outcome) {
            if (auto alive = session.lock())
                alive->sourceFailed(mapProbedFailure(report, outcome));
        });
}

void PlaybinSession::handleElementMessage(GstMessage* message)
{
    const GstStructure* structure = gst_message_get_structure(message);
    if (gst_structure_has_name(structure, "http-headers")) {
        guint status = 0;
        if (!gst_structure_get_uint(structure, "http-status-code", &status))
            return;
        httpStatusBySource_[GST_MESSAGE_SRC(message)] = status;
        if (status >= 300)
            lastFailureStatus_ = status;
        const GstStructure* headers = nullptr;
        if (status >= 300 && status < 400
            && gst_structure_get(structure, "response-headers", GST_TYPE_STRUCTURE, &headers, nullptr)) {
            if (const gchar* location = gst_structure_get_string(headers, "Location"))
                redirectLocation_ = QString::fromUtf8(location);
            gst_structure_free(const_cast<GstStructure*>(headers));
        }
    } else if (gst_structure_has_name(structure, "missing-plugin")) {
        const gchar* type = gst_structure_get_string(structure, "type");
        const gchar* detail = gst_structure_get_string(structure, "detail");
        if (type && detail && std::strcmp(type, "urisource") == 0)
            refusedScheme_ = QString::fromUtf8(detail);
    }
}

void PlaybinSession::handleTags(GstMessage* message)
{
    // Sinks post the tags when the audio they belong to is played.
    GstObject* source = GST_MESSAGE_SRC(message);
    if (!GST_IS_ELEMENT(source) || !GST_OBJECT_FLAG_IS_SET(source, GST_ELEMENT_FLAG_SINK))
        return;
    GstTagList* tags = nullptr;
    gst_message_parse_tag(message, &tags);
    const TagSource kind = traits_->icy ? TagSource::icy : traits_->id3 ? TagSource::id3 : TagSource::other;
    auto entries = metadataEntries(tags, kind);
    gst_tag_list_unref(tags);
    // The sound server's sink passes on the title as its mixer shows it.
    for (MetadataEntry& entry : entries) {
        if (entry.commonKey == MetadataCommonKeyTitle)
            entry.value = titleFromMixerName(traits_->displayName(), entry.value);
    }
    // Each message repeats the whole list; only a change is news.
    if (entries.empty() || entries == lastEntries_)
        return;
    lastEntries_ = entries;

    TimedMetadataGroup group;
    for (auto& entry : entries)
        group.items.push_back(std::make_shared<GstMetadataItem>(scheduler_, std::move(entry)));
    const std::vector<TimedMetadataGroup> groups{std::move(group)};
    const auto outputs = outputs_;
    for (const auto& output : outputs)
        output->deliver(groups);
}

bool PlaybinSession::tryAnotherSource(const MediaError& error)
{
    // Once audio has played, a failure is the stream's, not the source's.
    if (status_ != ItemStatus::unknown)
        return false;
    probe_.reset();
    releasePipeline();
    if (mayBePlaylist(error) && current_.depth < maxPlaylistDepth) {
        // The body was not audio: it may be a playlist file naming the stream.
        playlistFetch_ = std::make_unique<PlaylistFetch>(
            current_.url, std::max(1u, settings_.sourceTimeoutSeconds),
            [session = weak_from_this(), error](PlaylistDownload download) {
                if (auto alive = session.lock())
                    alive->playlistFetched(std::move(download), error);
            });
        return true;
    }
    return startNextSource();
}

bool PlaybinSession::startNextSource()
{
    if (alternatives_.empty())
        return false;
    current_ = alternatives_.front();
    alternatives_.pop_front();
    // What the previous pipeline reported says nothing about this one.
    const QString displayName = traits_->displayName();
    traits_ = std::make_shared<StreamTraits>();
    traits_->sourceTimeoutSeconds = settings_.sourceTimeoutSeconds;
    traits_->volume = volume_;
    traits_->setDisplayName(displayName);
    httpStatusBySource_.clear();
    lastFailureStatus_.reset();
    redirectLocation_.clear();
    refusedScheme_.clear();
    lastEntries_.clear();
    start();
    return true;
}

void PlaybinSession::playlistFetched(PlaylistDownload download, const MediaError& sourceError)
{
    playlistFetch_.reset();
    const PlaylistFormat format =
        detectPlaylistFormat(download.contentType, download.body.left(PlaylistFetch::sniffedBytes));
    const bool isPlaylist = format != PlaylistFormat::notPlaylist && format != PlaylistFormat::hls;
    const auto cause = std::make_shared<const MediaError>(sourceError);

    std::optional<MediaError> failure;
    if (!isPlaylist || download.outcome == PlaylistDownload::Outcome::failed) {
        failure = sourceError; // not a playlist: the source's own failure stands
    } else if (download.outcome != PlaylistDownload::Outcome::complete) {
        failure = unparsablePlaylistError(cause); // too large, or too slow
    } else {
        // Entries of any other scheme are never opened.
        const QUrl base = download.finalURL.isValid() ? download.finalURL : current_.url;
        std::vector<Source> entries;
        for (const QUrl& entry : parsePlaylist(format, download.body, base)) {
            const QString scheme = entry.scheme().toLower();
            if (isWebScheme(scheme) && entry != current_.url)
                entries.push_back({entry, current_.depth + 1});
        }
        if (entries.empty())
            failure = unparsablePlaylistError(cause);
        alternatives_.insert(alternatives_.begin(), entries.begin(), entries.end());
    }
    if (startNextSource())
        return;
    fail(failure.value_or(unparsablePlaylistError(cause)));
}

void PlaybinSession::sourceFailed(MediaError error)
{
    if (!tryAnotherSource(error))
        fail(std::move(error));
}

void PlaybinSession::fail(MediaError error)
{
    probe_.reset();
    releasePipeline();
    status_ = ItemStatus::failed;
    error_ = std::make_shared<const MediaError>(std::move(error));
    statusChanged.notify(status_);
    setBufferFlags(bufferEmpty_, false);
    updateTimeControl();
}

void PlaybinSession::evaluate()
{
    if (!pipeline_ || status_ == ItemStatus::failed)
        return;
    guint64 levelNanoseconds = 0;
    g_object_get(jitterBuffer_, "current-level-time", &levelNanoseconds, nullptr);
    const double level = double(levelNanoseconds) / double(GST_SECOND);
    const bool ended = traits_->inputEnded;

    const auto decision = policy_.update(wantsToPlay_ && status_ == ItemStatus::readyToPlay, level, ended);
    if (pitch_ && decision.tempo != tempo_) {
        tempo_ = decision.tempo;
        g_object_set(pitch_, "tempo", gfloat(tempo_), nullptr);
    }
    if (decision.render != renderRequested_) {
        renderRequested_ = decision.render;
        pipelinePlaying_ = false;
        gst_element_set_state(pipeline_->get(), renderRequested_ ? GST_STATE_PLAYING : GST_STATE_PAUSED);
    }
    setBufferFlags(policy_.bufferEmpty(level, ended), policy_.likelyToKeepUp(level, ended));
    updateTimeControl();

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

void PlaybinSession::setBufferFlags(bool empty, bool likely)
{
    if (empty != bufferEmpty_) {
        bufferEmpty_ = empty;
        bufferEmptyChanged.notify(empty);
    }
    if (likely != likelyToKeepUp_) {
        likelyToKeepUp_ = likely;
        likelyToKeepUpChanged.notify(likely);
    }
}

void PlaybinSession::updateTimeControl()
{
    TimeControlStatus next = TimeControlStatus::waitingToPlayAtSpecifiedRate;
    if (!wantsToPlay_ || status_ == ItemStatus::failed)
        next = TimeControlStatus::paused;
    else if (renderRequested_ && pipelinePlaying_)
        next = TimeControlStatus::playing;
    if (next != timeControl_) {
        timeControl_ = next;
        timeControlChanged.notify(next);
    }
}

} // namespace tunara::gst
