#include "ReadPacer.h"

#include <algorithm>

namespace tunara::gst {

ReadPacer::ReadPacer(LevelSource level, double spareLevel, double share, double longestInterval)
    : level_(std::move(level))
    , spareLevel_(spareLevel)
    , share_(share)
    , longestInterval_(longestInterval)
{
}

ReadPacer::LevelSource ReadPacer::queueLevel(GstElement* queue)
{
    std::shared_ptr<GstElement> held(GST_ELEMENT(gst_object_ref(queue)), gst_object_unref);
    return [held] {
        guint64 nanoseconds = 0;
        g_object_get(held.get(), "current-level-time", &nanoseconds, nullptr);
        return double(nanoseconds) / double(GST_SECOND);
    };
}

void ReadPacer::attach(GstElement* source)
{
    GstPad* pad = gst_element_get_static_pad(source, "src");
    if (!pad)
        return;
    // The probe keeps the pacer alive for as long as the pad has it.
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, onBuffer, new std::shared_ptr<ReadPacer>(shared_from_this()),
                      [](gpointer held) { delete static_cast<std::shared_ptr<ReadPacer>*>(held); });
    gst_object_unref(pad);
}

void ReadPacer::cancel()
{
    {
        const std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    wake_.notify_all();
}

GstPadProbeReturn ReadPacer::onBuffer(GstPad*, GstPadProbeInfo*, gpointer data)
{
    (*static_cast<std::shared_ptr<ReadPacer>*>(data))->pace();
    return GST_PAD_PROBE_OK;
}

// On the source's streaming thread, between one read and the next.
void ReadPacer::pace()
{
    // The wait delays the audio by at most a share of what is buffered.
    const double buffered = level_();
    std::unique_lock lock(mutex_);
    if (buffered >= spareLevel_) {
        const std::chrono::duration<double> interval(std::min(buffered * share_, longestInterval_));
        wake_.wait_until(lock, lastRead_ + std::chrono::duration_cast<Clock::duration>(interval),
                         [this] { return cancelled_; });
    }
    lastRead_ = Clock::now();
}

} // namespace tunara::gst
