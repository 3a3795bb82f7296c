#pragma once

// Owning handles for what a pipeline hands out besides references: a bus
// sync handler, a signal connection, a pad probe. Each is released in its
// destructor, so a pipeline's whole lifetime is one OwnedPipeline's
// lifetime and nothing it was given outlives it.

#include "GObjectPtr.h"

#include <memory>
#include <vector>

namespace tunara::gst {

// A signal handler connected to an object; disconnected on destruction.
class SignalConnection {
public:
    SignalConnection(gpointer instance, gulong id);
    ~SignalConnection();
    SignalConnection(const SignalConnection&) = delete;
    SignalConnection& operator=(const SignalConnection&) = delete;

private:
    GObjectPtr<GObject> instance_;
    gulong id_;
};

// A probe on a pad; removed on destruction.
class PadProbe {
public:
    PadProbe(GstPad* pad, gulong id);
    ~PadProbe();
    PadProbe(const PadProbe&) = delete;
    PadProbe& operator=(const PadProbe&) = delete;

private:
    GstObjectPtr<GstPad> pad_;
    gulong id_;
};

// A pipeline with its bus sync handler, its signal connections and its pad
// probes. Destruction stops the pipeline (its streaming threads end), then
// releases the handler, connections and probes (and the data given with
// them), then the pipeline itself.
class OwnedPipeline {
public:
    // Takes the floating reference of a new pipeline.
    explicit OwnedPipeline(GstElement* pipeline);
    ~OwnedPipeline();
    OwnedPipeline(const OwnedPipeline&) = delete;
    OwnedPipeline& operator=(const OwnedPipeline&) = delete;

    GstElement* get() const { return pipeline_.get(); }

    // The handler owns every message it is given and returns GST_BUS_DROP;
    // data is freed with destroy once the handler is removed.
    void setBusSyncHandler(GstBusSyncHandler handler, gpointer data, GDestroyNotify destroy);
    // data is freed with destroy when the connection ends.
    void connect(gpointer instance, const char* signal, GCallback callback, gpointer data,
                 GClosureNotify destroy);
    void addProbe(GstPad* pad, GstPadProbeType type, GstPadProbeCallback callback, gpointer data,
                  GDestroyNotify destroy);

private:
    GstObjectPtr<GstElement> pipeline_;
    GstObjectPtr<GstBus> bus_;
    std::vector<std::unique_ptr<SignalConnection>> connections_;
    std::vector<std::unique_ptr<PadProbe>> probes_;
};

} // namespace tunara::gst
