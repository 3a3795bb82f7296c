// The callbacks GStreamer calls on its own threads: they record what they
// see in the pipeline's traits and hand everything else to the session on
// the main thread.

#include "SessionCallbacks.h"

#include "GObjectPtr.h"
#include "MixerStream.h"
#include "RefusingUriSource.h"
#include "TagMetadata.h"

#include "playback/StartTrace.h"

#include <gst/audio/streamvolume.h>

#include <cstring>

namespace tunara::gst {

namespace {

// The messages the session reads.
bool isRelayed(GstMessage* message)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_ASYNC_DONE:
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
    if (GstTagList* rewritten = tagsForMixer(tags, traits.stationName)) {
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

GstPadProbeReturn noteFirstBytes(GstPad*, GstPadProbeInfo*, gpointer data)
{
    auto& traits = *static_cast<PlaybinSession::StreamTraits*>(data);
    if (!traits.bytesArrived.exchange(true))
        trace::mark("first-byte");
    return GST_PAD_PROBE_REMOVE;
}

} // namespace

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

// A sink with a stream volume of its own (PulseAudio's) plays at the
// application's volume and is named for the mixer before its stream
// exists; changes made in the mixer come back. Any thread.
void configureSink(GstElement* sink, const Relay& relay)
{
    if (!hasStreamVolume(sink))
        return;
    if (std::strcmp(factoryName(GST_OBJECT(sink)), "pulsesink") == 0) {
        GstStructure* properties = mixerStreamProperties(relay.traits->stationName);
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

GstPadProbeReturn watchArrivals(GstPad*, GstPadProbeInfo*, gpointer data)
{
    auto* relay = static_cast<Relay*>(data);
    auto& traits = *relay->traits;
    if (traits.waitingToRender && !traits.evaluationPending.exchange(true))
        relay->post([](PlaybinSession& session) { session.evaluate(); });
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn watchTitles(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_TAG)
        return GST_PAD_PROBE_OK;
    auto* relay = static_cast<Relay*>(data);
    const auto& traits = *relay->traits;
    GstTagList* tags = nullptr;
    gst_event_parse_tag(event, &tags);
    const TagSource source = traits.icy ? TagSource::icy : traits.id3 ? TagSource::id3 : TagSource::other;
    if (auto title = streamTitle(tags, source)) {
        relay->post([traits = relay->traits, title = std::move(*title)](PlaybinSession& session) {
            session.titleArrived(traits, title);
        });
    }
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn watchDetails(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    DetailsSeen seen;
    if (GST_EVENT_TYPE(event) == GST_EVENT_TAG) {
        GstTagList* tags = nullptr;
        gst_event_parse_tag(event, &tags);
        seen = tagDetails(tags);
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
        GstCaps* caps = nullptr;
        gst_event_parse_caps(event, &caps);
        seen = capsDetails(caps);
    } else {
        return GST_PAD_PROBE_OK;
    }
    auto* relay = static_cast<Relay*>(data);
    relay->post([traits = relay->traits, seen](PlaybinSession& session) { session.detailsArrived(traits, seen); });
    return GST_PAD_PROBE_OK;
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

} // namespace tunara::gst
