#pragma once

// What the callbacks on GStreamer's threads share with the session: the
// relay that hands their work to the session on the main thread.

#include "PlaybinSession.h"

namespace tunara::gst {

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

inline const char* factoryName(GstObject* object)
{
    if (!GST_IS_ELEMENT(object))
        return "";
    GstElementFactory* factory = gst_element_get_factory(GST_ELEMENT(object));
    return factory ? gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)) : "";
}

} // namespace tunara::gst
