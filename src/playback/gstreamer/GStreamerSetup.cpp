// GStreamer as this player sets it up, once per process: no source for a
// non-web scheme, the small decoders before FFmpeg's, and nothing for
// pictures.

#include "GstMediaBackend.h"

#include "RefusingUriSource.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

namespace tunara {

namespace {

// Every scheme some installed source can open, but http and https, goes to
// the refusing source, ranked above all of them: GStreamer always makes the
// highest-ranked source for a URI. The registry knows each source's schemes
// and rank without loading its plugin.
void refuseNonWebSchemes()
{
    std::set<std::string> refused;
    guint highestRank = GST_RANK_PRIMARY;
    GList* factories = gst_registry_get_feature_list(gst_registry_get(), GST_TYPE_ELEMENT_FACTORY);
    for (GList* node = factories; node; node = node->next) {
        auto* factory = GST_ELEMENT_FACTORY(node->data);
        if (gst_element_factory_get_uri_type(factory) != GST_URI_SRC
            || std::strcmp(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "souphttpsrc") == 0)
            continue;
        if (const gchar* const* protocols = gst_element_factory_get_uri_protocols(factory)) {
            for (; *protocols; ++protocols)
                refused.insert(*protocols);
        }
        highestRank = std::max(highestRank, gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)));
    }
    gst_plugin_feature_list_free(factories);
    for (const char* web : {"http", "https"})
        refused.erase(web);
    gst::registerRefusingUriSource({refused.begin(), refused.end()}, highestRank + 1);
}

// FFmpeg's decoders (gstreamer1.0-libav) rank as high as the small ones for
// MP3 and above them for AAC, and loading them maps FFmpeg with everything
// it links: codecs, filters, speech voices, an SVG renderer; about 20 MiB
// for one radio station. The libraries made for one format play these two
// as well, so they go first; FFmpeg stays for what only it decodes.
void preferLightDecoders()
{
    for (const char* name : {"mpg123audiodec", "faad"}) {
        if (GstPluginFeature* decoder = gst_registry_lookup_feature(gst_registry_get(), name)) {
            gst_plugin_feature_set_rank(decoder, GST_RANK_PRIMARY + 1);
            gst_object_unref(decoder);
        }
    }
}

// The HLS demuxer that fetches its segments itself through libsoup lets
// the last reference to a segment's stream go after libsoup has finished
// the message when a download is cancelled, as every station change or
// stop during a segment does; libsoup 3.2 (Debian 12) then reads through a
// null pointer on that thread and the player crashes. The older demuxer
// fetches segments through the HTTP source, which closes its stream before
// it cancels the message, and asks for each segment's URI through the
// registry, so the refusing source above sees it too.
void preferHlsDemuxerWithHttpSource()
{
    GstPluginFeature* older = gst_registry_lookup_feature(gst_registry_get(), "hlsdemux");
    GstPluginFeature* newer = gst_registry_lookup_feature(gst_registry_get(), "hlsdemux2");
    if (older && newer)
        gst_plugin_feature_set_rank(newer, std::min(gst_plugin_feature_get_rank(newer),
                                                    gst_plugin_feature_get_rank(older) - 1));
    for (GstPluginFeature* feature : {older, newer}) {
        if (feature)
            gst_object_unref(feature);
    }
}

// Takes the registry's features of one type that match out of it, without
// loading any plugin.
template <typename Matches>
void removeFeatures(GType type, Matches matches)
{
    GstRegistry* registry = gst_registry_get();
    GList* features = gst_registry_get_feature_list(registry, type);
    for (GList* node = features; node; node = node->next) {
        auto* feature = GST_PLUGIN_FEATURE(node->data);
        if (matches(feature))
            gst_registry_remove_feature(registry, feature);
    }
    gst_plugin_feature_list_free(features);
}

// FFmpeg's plugin also brings typefinders for dozens of rare formats. A
// radio stream that does not begin on a frame boundary (most do not: the
// server starts a listener mid-stream) is run past every typefinder, and
// each of FFmpeg's would load FFmpeg. The formats radio uses are all known
// to GStreamer's own typefinders.
void dropFFmpegTypefinders()
{
    removeFeatures(GST_TYPE_TYPE_FIND_FACTORY, [](GstPluginFeature* typefinder) {
        return g_strcmp0(gst_plugin_feature_get_plugin_name(typefinder), "libav") == 0;
    });
}

// A radio stream is sound. Bytes that a typefinder takes for video or
// subtitles (a stream joined mid-frame can look like anything) would have
// playbin try video parsers, decoders and even video sinks, whatever its
// flags say, and a sink such as DirectFB's starts a display system of its
// own inside the player. Without them such a stream fails as one that
// cannot be decoded. The registry knows each element's class without
// loading its plugin.
void dropPictureElements()
{
    removeFeatures(GST_TYPE_ELEMENT_FACTORY, [](GstPluginFeature* element) {
        const gchar* klass = gst_element_factory_get_metadata(GST_ELEMENT_FACTORY(element), GST_ELEMENT_METADATA_KLASS);
        return klass && !std::strstr(klass, "Audio")
               && (std::strstr(klass, "Video") || std::strstr(klass, "Image") || std::strstr(klass, "Subtitle"));
    });
}

} // namespace

void initializeGStreamer()
{
    static const bool initialized = [] {
        gst_init(nullptr, nullptr);
        // A finished streaming thread waits half a second for more work;
        // GLib then keeps some (eight with GStreamer 1.26) among its unused
        // threads for 15 s. Keeping none holds the thread count flat between
        // station changes: the next change makes its threads anew.
        g_thread_pool_set_max_unused_threads(0);
        refuseNonWebSchemes();
        preferLightDecoders();
        preferHlsDemuxerWithHttpSource();
        dropFFmpegTypefinders();
        dropPictureElements();
        return true;
    }();
    (void)initialized;
}

} // namespace tunara
