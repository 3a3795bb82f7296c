#pragma once

// Owning pointers for the GLib, GObject and GStreamer types this backend
// holds, so every reference is released exactly once.

#include "GLibHeaders.h"

#include <memory>

namespace tunara::gst {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GstObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
struct GstMessageUnref {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};

template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;
template <typename T>
using GstObjectPtr = std::unique_ptr<T, GstObjectUnref>;
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;
using GCharPtr = std::unique_ptr<gchar, GFree>;

} // namespace tunara::gst
