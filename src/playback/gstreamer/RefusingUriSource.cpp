#include "RefusingUriSource.h"

#include "GLibHeaders.h"

namespace tunara::gst {

namespace {

std::vector<std::string>& refusedSchemes()
{
    static std::vector<std::string> schemes;
    return schemes;
}

const gchar* const* refusedSchemeList()
{
    static const std::vector<const gchar*> list = [] {
        std::vector<const gchar*> pointers;
        for (const auto& scheme : refusedSchemes())
            pointers.push_back(scheme.c_str());
        pointers.push_back(nullptr);
        return pointers;
    }();
    return list.data();
}

} // namespace

} // namespace tunara::gst

extern "C" {

struct TunaraRefusingSrc {
    GstBaseSrc parent;
    gchar* uri;
};

struct TunaraRefusingSrcClass {
    GstBaseSrcClass parent_class;
};

static void tunara_refusing_src_uri_handler_init(gpointer iface, gpointer);

G_DEFINE_TYPE_WITH_CODE(TunaraRefusingSrc, tunara_refusing_src, GST_TYPE_BASE_SRC,
                        G_IMPLEMENT_INTERFACE(GST_TYPE_URI_HANDLER, tunara_refusing_src_uri_handler_init))

static GstStaticPadTemplate tunara_refusing_src_template =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);

static gboolean tunara_refusing_src_start(GstBaseSrc* source)
{
    auto* self = reinterpret_cast<TunaraRefusingSrc*>(source);
    GST_ELEMENT_ERROR(source, RESOURCE, OPEN_READ, ("Only http and https streams are played."),
                      ("refused to open %s", self->uri ? self->uri : "(no URI)"));
    return FALSE;
}

static void tunara_refusing_src_finalize(GObject* object)
{
    g_free(reinterpret_cast<TunaraRefusingSrc*>(object)->uri);
    G_OBJECT_CLASS(tunara_refusing_src_parent_class)->finalize(object);
}

static void tunara_refusing_src_class_init(TunaraRefusingSrcClass* klass)
{
    G_OBJECT_CLASS(klass)->finalize = tunara_refusing_src_finalize;
    gst_element_class_set_static_metadata(GST_ELEMENT_CLASS(klass), "Refusing URI source", "Source",
                                          "Refuses every URI it is given", "Tunara");
    gst_element_class_add_static_pad_template(GST_ELEMENT_CLASS(klass), &tunara_refusing_src_template);
    GST_BASE_SRC_CLASS(klass)->start = tunara_refusing_src_start;
}

static void tunara_refusing_src_init(TunaraRefusingSrc* self)
{
    self->uri = nullptr;
}

static GstURIType tunara_refusing_src_get_type_of_uri(GType)
{
    return GST_URI_SRC;
}

static const gchar* const* tunara_refusing_src_get_protocols(GType)
{
    return tunara::gst::refusedSchemeList();
}

static gchar* tunara_refusing_src_get_uri(GstURIHandler* handler)
{
    return g_strdup(reinterpret_cast<TunaraRefusingSrc*>(handler)->uri);
}

static gboolean tunara_refusing_src_set_uri(GstURIHandler* handler, const gchar* uri, GError**)
{
    auto* self = reinterpret_cast<TunaraRefusingSrc*>(handler);
    g_free(self->uri);
    self->uri = g_strdup(uri);
    return TRUE;
}

static void tunara_refusing_src_uri_handler_init(gpointer iface, gpointer)
{
    auto* handler = static_cast<GstURIHandlerInterface*>(iface);
    handler->get_type = tunara_refusing_src_get_type_of_uri;
    handler->get_protocols = tunara_refusing_src_get_protocols;
    handler->get_uri = tunara_refusing_src_get_uri;
    handler->set_uri = tunara_refusing_src_set_uri;
}

} // extern "C"

namespace tunara::gst {

void registerRefusingUriSource(std::vector<std::string> schemes, unsigned rank)
{
    static const bool registered = [&] {
        refusedSchemes() = std::move(schemes);
        return gst_element_register(nullptr, refusingSourceName, rank, tunara_refusing_src_get_type());
    }();
    (void)registered;
}

} // namespace tunara::gst
