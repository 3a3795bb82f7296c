// A source whose reads are paced: held only with audio to spare, and let go
// at once when the pipeline is stopping.

#include "ReadPacer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace tunara::gst {
namespace {

class PacedSource {
public:
    PacedSource(double level, double longestInterval)
        : pacer(std::make_shared<ReadPacer>([level] { return level; }, 0.3, 0.25, longestInterval))
    {
        pipeline = gst_pipeline_new(nullptr);
        GstElement* source = gst_element_factory_make("fakesrc", nullptr);
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        g_object_set(source, "num-buffers", 5, nullptr);
        g_object_set(sink, "signal-handoffs", TRUE, nullptr);
        g_signal_connect(sink, "handoff", G_CALLBACK(+[](GstElement*, GstBuffer*, GstPad*, gpointer count) {
                             ++*static_cast<std::atomic<int>*>(count);
                         }),
                         &delivered);
        gst_bin_add_many(GST_BIN(pipeline), source, sink, nullptr);
        gst_element_link(source, sink);
        pacer->attach(source);
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
    }

    ~PacedSource()
    {
        pacer->cancel();
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }

    bool endsWithin(double seconds)
    {
        GstBus* bus = gst_element_get_bus(pipeline);
        GstMessage* eos = gst_bus_timed_pop_filtered(bus, GstClockTime(seconds * GST_SECOND), GST_MESSAGE_EOS);
        gst_object_unref(bus);
        if (eos)
            gst_message_unref(eos);
        return eos != nullptr;
    }

    std::shared_ptr<ReadPacer> pacer;
    GstElement* pipeline = nullptr;
    std::atomic<int> delivered{0};
};

TEST(ReadPacerTest, BelowTheSpareLevelEveryReadGoesOnAtOnce)
{
    // Paced, these five reads would take at least 4 x 2 s.
    PacedSource source(0.2, 2.0);
    EXPECT_TRUE(source.endsWithin(5));
    EXPECT_EQ(source.delivered, 5);
}

TEST(ReadPacerTest, WithAudioToSpareReadsWaitUntilCancelled)
{
    PacedSource source(60.0, 60.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(source.delivered, 1) << "the second read waits its turn";

    // Stopping must not wait for the turn of the held read.
    source.pacer->cancel();
    EXPECT_TRUE(source.endsWithin(5));
    EXPECT_EQ(source.delivered, 5);
}

} // namespace
} // namespace tunara::gst
