#include "PipelineHandles.h"

namespace tunara::gst {

SignalConnection::SignalConnection(gpointer instance, gulong id)
    : instance_(G_OBJECT(g_object_ref(instance)))
    , id_(id)
{
}

SignalConnection::~SignalConnection()
{
    if (id_ != 0 && g_signal_handler_is_connected(instance_.get(), id_))
        g_signal_handler_disconnect(instance_.get(), id_);
}

PadProbe::PadProbe(GstPad* pad, gulong id)
    : pad_(GST_PAD(gst_object_ref(pad)))
    , id_(id)
{
}

PadProbe::~PadProbe()
{
    if (id_ != 0)
        gst_pad_remove_probe(pad_.get(), id_);
}

OwnedPipeline::OwnedPipeline(GstElement* pipeline)
    : pipeline_(GST_ELEMENT(gst_object_ref_sink(pipeline)))
    , bus_(gst_element_get_bus(pipeline))
{
}

OwnedPipeline::~OwnedPipeline()
{
    // Stopped first: no streaming thread runs a handler while it goes.
    gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    probes_.clear();
    connections_.clear();
    gst_bus_set_sync_handler(bus_.get(), nullptr, nullptr, nullptr);
}

void OwnedPipeline::setBusSyncHandler(GstBusSyncHandler handler, gpointer data, GDestroyNotify destroy)
{
    gst_bus_set_sync_handler(bus_.get(), handler, data, destroy);
}

void OwnedPipeline::connect(gpointer instance, const char* signal, GCallback callback, gpointer data,
                            GClosureNotify destroy)
{
    const gulong id = g_signal_connect_data(instance, signal, callback, data, destroy, GConnectFlags(0));
    connections_.push_back(std::make_unique<SignalConnection>(instance, id));
}

void OwnedPipeline::addProbe(GstPad* pad, GstPadProbeType type, GstPadProbeCallback callback, gpointer data,
                             GDestroyNotify destroy)
{
    const gulong id = gst_pad_add_probe(pad, type, callback, data, destroy);
    probes_.push_back(std::make_unique<PadProbe>(pad, id));
}

} // namespace tunara::gst
