#include "PlaybinSession.h"

#include "GObjectPtr.h"
#include "MixerStream.h"
#include "PipelineHandles.h"
#include "RefusingUriSource.h"
#include "SessionCallbacks.h"

#include "playback/PlaylistParser.h"
#include "playback/StartTrace.h"

#include <QRegularExpression>

#include <gst/audio/streamvolume.h>

#include <cstring>

namespace tunara::gst {

namespace {

// playbin's GstPlayFlags: audio only. Without the buffering flag playbin
// posts no BUFFERING messages: the output bin buffers decoded audio itself.
constexpr guint playFlagAudio = 1u << 1;

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

bool isHttpSource(GstObject* object)
{
    return std::strcmp(factoryName(object), "souphttpsrc") == 0;
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

void* PlaybinSession::newRelay()
{
    return new Relay{&scheduler_, weak_from_this(), traits_};
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
    traits_->waitingToRender = true;
    pipelinePlaying_ = false;
    nextCheck_ = settings_.buffering.waitingCheckInterval;
    if (settings_.pipelineReleased)
        settings_.pipelineReleased();
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

} // namespace tunara::gst
