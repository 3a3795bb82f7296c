#pragma once

// GLib, GIO and GStreamer declarations for files that also see Qt. GIO
// uses "signals" as a field name, which Qt defines as a keyword macro:
// the macro is lifted around these headers and restored after them.

#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#include <gst/base/gstbasesrc.h>
#include <gst/gst.h>
#pragma pop_macro("signals")
