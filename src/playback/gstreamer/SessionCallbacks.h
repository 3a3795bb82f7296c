#pragma once

// The callbacks a session's pipeline calls on GStreamer's threads. Each
// takes a Relay (SessionRelay.h) as its data.

#include "SessionRelay.h"

namespace tunara::gst {

// Owns each message; relays those the session reads to the main loop.
GstBusSyncReply relayBusMessage(GstBus* bus, GstMessage* message, gpointer relay);
// playbin's deep-element-added: the HTTP source, a refused scheme, the demuxers.
void noteElementAdded(GstBin* bin, GstBin* parent, GstElement* element, gpointer relay);
// A sink with a stream volume of its own gets the volume and the mixer's names.
void configureSink(GstElement* sink, const Relay& relay);
// autoaudiosink's child-added: the desktop's sink it made.
void sinkAdded(GstChildProxy* proxy, GObject* child, gchar* name, gpointer relay);
// The jitter buffer's underrun, and the end or start of its stream.
void bufferRanDry(GstElement* queue, gpointer relay);
GstPadProbeReturn watchStreamEnd(GstPad* pad, GstPadProbeInfo* info, gpointer relay);
// The decoded audio's caps and the tags passing the jitter buffer's input:
// codec, bit rate, sample rate, channels.
GstPadProbeReturn watchDetails(GstPad* pad, GstPadProbeInfo* info, gpointer relay);
// Tags on their way into the sink, as the audio they belong to is about to
// play: the stream's title, before the mixer's name is made of it.
GstPadProbeReturn watchTitles(GstPad* pad, GstPadProbeInfo* info, gpointer relay);
// Audio arriving in the jitter buffer while it waits to play: the buffer is
// looked at again now rather than at the next poll.
GstPadProbeReturn watchArrivals(GstPad* pad, GstPadProbeInfo* info, gpointer relay);
// Traces the first decoded buffer; its data are the pipeline's traits.
GstPadProbeReturn traceFirstDecoded(GstPad* pad, GstPadProbeInfo* info, gpointer traits);

} // namespace tunara::gst
