// What a pipeline's messages make of the session: its failure. Messages are
// handed to the session as its bus would, before the pipeline itself has had
// a chance to say anything.

#include "LivePlayback.h"
#include "PlaybinSession.h"

#include <gtest/gtest.h>

namespace tunara::gst {
namespace {

GstElement* owned(const char* factory)
{
    return GST_ELEMENT(gst_object_ref_sink(gst_element_factory_make(factory, nullptr)));
}

class SessionTest : public ::testing::Test {
protected:
    SessionTest()
    {
        SessionSettings settings;
        settings.makeAudioSink = testing::makeRealTimeSink;
        // Nothing listens there; the pipeline's own error is only read once
        // the test spins the event loop, which it does not.
        session = std::make_shared<PlaybinSession>(scheduler, settings, QUrl("http://127.0.0.1:9/"), "Station", 1.0,
                                                   [this](const SessionEvent& event) { events.push_back(event); });
        session->start();
    }
    ~SessionTest() override
    {
        session->stop();
        gst_object_unref(http);
        gst_object_unref(typefind);
    }

    void post(GstMessage* message)
    {
        session->handleMessage(message);
        gst_message_unref(message);
    }
    void postError(GstElement* source, GQuark domain, int code)
    {
        GError* error = g_error_new_literal(domain, code, "it failed");
        post(gst_message_new_error(GST_OBJECT(source), error, "debug text"));
        g_error_free(error);
    }
    void postHttpStatus(unsigned status)
    {
        post(gst_message_new_element(
            GST_OBJECT(http), gst_structure_new("http-headers", "http-status-code", G_TYPE_UINT, status, nullptr)));
    }
    std::vector<FailureReason> failures() const
    {
        std::vector<FailureReason> reasons;
        for (const SessionEvent& event : events) {
            if (const auto* failure = std::get_if<PlaybackFailure>(&event))
                reasons.push_back(failure->reason);
        }
        return reasons;
    }

    GstElement* http = owned("souphttpsrc");
    GstElement* typefind = owned("typefind");
    QtScheduler scheduler;
    std::vector<SessionEvent> events;
    std::shared_ptr<PlaybinSession> session;
};

TEST_F(SessionTest, TheFirstErrorFailsTheSessionOnce)
{
    postHttpStatus(404);
    postError(http, GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND);
    postError(typefind, GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND); // later errors change nothing
    EXPECT_EQ(failures(), std::vector<FailureReason>{FailureReason::notFound});
    EXPECT_TRUE(session->hasFailed());
}

TEST_F(SessionTest, TheEndOfALiveStreamIsALostConnection)
{
    post(gst_message_new_eos(GST_OBJECT(typefind)));
    EXPECT_EQ(failures(), std::vector<FailureReason>{FailureReason::connectionLost});
}

// A stopped session reports nothing more, whatever its pipeline's threads
// had already handed to the main loop.
TEST(SessionLifetimeTest, NothingIsReportedAfterStop)
{
    testing::LivePlayback live;
    live.play("/icy/mp3");
    ASSERT_TRUE(live.waitFor(PlayingStatus::playing));
    live.play("/status/404");
    live.controller->stop(); // both sessions go while their messages may still be on their way
    const auto statuses = live.statuses.size();
    testing::runFor(1);
    EXPECT_EQ(live.statuses.size(), statuses);
    EXPECT_TRUE(live.failures.empty());
    EXPECT_FALSE(live.controller->track());
}

} // namespace
} // namespace tunara::gst
