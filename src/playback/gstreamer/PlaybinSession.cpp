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

PlaybinSession::PlaybinSession(Scheduler& scheduler, SessionSettings settings, QUrl url, QString stationName,
                               double volume, PlaybackSession::EventHandler handler)
    : scheduler_(scheduler)
    , settings_(std::move(settings))
    , url_(std::move(url))
    , stationName_(std::move(stationName))
    , handler_(std::move(handler))
    , current_{url_, 0}
    , policy_(settings_.buffering)
    , volume_(volume)
    , traits_(makeTraits())
    , nextCheck_(settings_.buffering.waitingCheckInterval)
{
    const auto worked = workingEntries().find(url_.toString(QUrl::FullyEncoded));
    if (worked != workingEntries().end()) {
        // Start with the entry that last played; the playlist itself is
        // read again only if that entry fails.
        current_ = {worked->second.url, worked->second.depth};
        alternatives_.push_back({url_, 0});
    }
}

std::shared_ptr<PlaybinSession::StreamTraits> PlaybinSession::makeTraits() const
{
    auto traits = std::make_shared<StreamTraits>();
    traits->sourceTimeoutSeconds = settings_.sourceTimeoutSeconds;
    traits->volume = volume_;
    traits->stationName = stationName_;
    return traits;
}

PlaybinSession::~PlaybinSession()
{
    releasePipeline();
}

void PlaybinSession::start()
{
    if (failed_ || stopped_ || pipeline_)
        return;
    if (!url_.isValid() || url_.host().isEmpty()) {
        failSoon(isWebScheme(url_.scheme().toLower()) ? FailureReason::badURL : FailureReason::unsupportedScheme);
        return;
    }
    if (!isWebScheme(url_.scheme().toLower())) {
        failSoon(FailureReason::unsupportedScheme);
        return;
    }
    if (!buildPipeline()) {
        failSoon(FailureReason::otherFailure); // the elements for playback are missing
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
    if (!pipeline_ || prerolled_ || probe_)
        return;
    // Bytes came that nothing could make sense of, or no bytes at all.
    sourceFailed(traits_->bytesArrived ? FailureReason::unrecognisedFormat : FailureReason::timedOut);
}

void PlaybinSession::refuseScheme(const std::shared_ptr<StreamTraits>& traits, const QString& scheme)
{
    if (traits != traits_ || !pipeline_ || failed_)
        return; // a refusal of a pipeline that has already gone
    refusedScheme_ = scheme;
    probe_.reset();
    sourceFailed(FailureReason::unsupportedScheme);
}

void PlaybinSession::stop()
{
    stopped_ = true;
    handler_ = nullptr;
    probe_.reset();
    playlistFetch_.reset();
    releasePipeline();
}

void PlaybinSession::report(const SessionEvent& event)
{
    // The handler may stop this session, which lets go of the handler: it
    // runs from a copy, and nothing of the session is used after it.
    if (stopped_ || !handler_)
        return;
    const PlaybackSession::EventHandler handler = handler_;
    handler(event);
}

void PlaybinSession::failSoon(FailureReason reason)
{
    scheduler_.post([session = weak_from_this(), reason] {
        if (auto alive = session.lock(); alive && !alive->failed_)
            alive->fail(reason);
    });
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
        sourceFailed(FailureReason::connectionLost);
        break;
    case GST_MESSAGE_ASYNC_DONE:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline_->get()) && !prerolled_) {
            if (current_.url != url_)
                workingEntries()[url_.toString(QUrl::FullyEncoded)] = {current_.url, current_.depth};
            else
                workingEntries().erase(url_.toString(QUrl::FullyEncoded));
            alternatives_.clear();
            startDeadline_.reset();
            prerolled_ = true;
            evaluate();
        }
        break;
    case GST_MESSAGE_STATE_CHANGED:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline_->get())) {
            GstState newState = GST_STATE_NULL;
            gst_message_parse_state_changed(message, nullptr, &newState, nullptr);
            pipelinePlaying_ = renderRequested_ && newState == GST_STATE_PLAYING;
            updateState();
        }
        break;
    case GST_MESSAGE_ELEMENT: handleElementMessage(message); break;
    default: break;
    }
}

void PlaybinSession::handleError(GstMessage* message)
{
    if (probe_ || failed_)
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
    probe_ = std::make_unique<ConnectionProbe>(failedUrl, std::max(1u, settings_.sourceTimeoutSeconds),
                                               [session = weak_from_this()](ProbeOutcome outcome) {
                                                   if (auto alive = session.lock())
                                                       alive->sourceFailed(mapProbedFailure(outcome));
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

void PlaybinSession::titleArrived(const std::shared_ptr<StreamTraits>& traits, const QString& title)
{
    // Tags are repeated whenever anything in them changes: only a new title is news.
    if (traits != traits_ || failed_ || title == lastTitle_)
        return;
    lastTitle_ = title;
    report(StreamTitle{title});
}

void PlaybinSession::detailsArrived(const std::shared_ptr<StreamTraits>& traits, const DetailsSeen& seen)
{
    if (traits != traits_ || failed_)
        return;
    detailsSeen_.merge(seen);
    const DetailsSeen& all = detailsSeen_;
    const StreamDetails details{all.codec, int(all.nominalBitrate > 0 ? all.nominalBitrate : all.bitrate),
                                all.sampleRate, all.channels};
    if (details == reportedDetails_)
        return;
    reportedDetails_ = details;
    report(details);
}

bool PlaybinSession::tryAnotherSource(FailureReason reason)
{
    // Once audio has played, a failure is the stream's, not the source's.
    if (prerolled_)
        return false;
    probe_.reset();
    releasePipeline();
    if (mayBePlaylist(reason) && current_.depth < maxPlaylistDepth) {
        // The body was not audio: it may be a playlist file naming the stream.
        playlistFetch_ = std::make_unique<PlaylistFetch>(
            current_.url, std::max(1u, settings_.sourceTimeoutSeconds),
            [session = weak_from_this(), reason](PlaylistDownload download) {
                if (auto alive = session.lock())
                    alive->playlistFetched(std::move(download), reason);
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
    traits_ = makeTraits();
    httpStatusBySource_.clear();
    lastFailureStatus_.reset();
    redirectLocation_.clear();
    refusedScheme_.clear();
    lastTitle_.clear();
    start();
    return true;
}

void PlaybinSession::playlistFetched(PlaylistDownload download, FailureReason sourceFailure)
{
    playlistFetch_.reset();
    const PlaylistFormat format =
        detectPlaylistFormat(download.contentType, download.body.left(PlaylistFetch::sniffedBytes));
    const bool isPlaylist = format != PlaylistFormat::notPlaylist && format != PlaylistFormat::hls;

    // Not a playlist: the source's own failure stands. A playlist that is too
    // large, too slow, or names nothing to play cannot be read.
    FailureReason failure = FailureReason::parseFailure;
    if (!isPlaylist || download.outcome == PlaylistDownload::Outcome::failed) {
        failure = sourceFailure;
    } else if (download.outcome == PlaylistDownload::Outcome::complete) {
        // Entries of any other scheme are never opened.
        const QUrl base = download.finalURL.isValid() ? download.finalURL : current_.url;
        std::vector<Source> entries;
        for (const QUrl& entry : parsePlaylist(format, download.body, base)) {
            const QString scheme = entry.scheme().toLower();
            if (isWebScheme(scheme) && entry != current_.url)
                entries.push_back({entry, current_.depth + 1});
        }
        alternatives_.insert(alternatives_.begin(), entries.begin(), entries.end());
    }
    if (!startNextSource())
        fail(failure);
}

void PlaybinSession::sourceFailed(FailureReason reason)
{
    if (!tryAnotherSource(reason))
        fail(reason);
}

void PlaybinSession::fail(FailureReason reason)
{
    probe_.reset();
    releasePipeline();
    failed_ = true;
    report(PlaybackFailure::because(reason));
}

} // namespace tunara::gst
