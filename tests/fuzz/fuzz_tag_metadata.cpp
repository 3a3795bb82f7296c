// A tag list of titles, artists and station tags, from each kind of
// stream: there is track text exactly when there is a title, or outside
// ICY an artist.

#include "Fuzz.h"

#include "TagMetadata.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace tunara;
using namespace tunara::gst;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    [[maybe_unused]] static const bool initialized = (gst_init(nullptr, nullptr), true);
    FuzzedDataProvider input(data, size);
    const auto source = TagSource(input.ConsumeIntegralInRange(0, 2));
    GstTagList* tags = gst_tag_list_new_empty();
    while (input.remaining_bytes() > 0) {
        const char* tag = input.PickValueInArray({GST_TAG_TITLE, GST_TAG_ARTIST, GST_TAG_HOMEPAGE, GST_TAG_ORGANIZATION});
        const std::string text = input.ConsumeRandomLengthString();
        // GStreamer hands over UTF-8 only.
        gchar* valid = g_utf8_make_valid(text.data(), gssize(text.size()));
        gst_tag_list_add(tags, GST_TAG_MERGE_APPEND, tag, valid, nullptr);
        g_free(valid);
    }
    const bool hasTitle = gst_tag_list_get_tag_size(tags, GST_TAG_TITLE) > 0;
    const bool hasArtist = gst_tag_list_get_tag_size(tags, GST_TAG_ARTIST) > 0;
    fuzz::check(streamTitle(tags, source).has_value() == (hasTitle || (source != TagSource::icy && hasArtist)));
    gst_tag_list_unref(tags);
    return 0;
}
