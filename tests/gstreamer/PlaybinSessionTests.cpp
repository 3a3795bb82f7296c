// What a pipeline's messages make of the item: its status, its error and
// its metadata. Messages are handed to the session as its bus would, before
// the pipeline itself has had a chance to say anything.

#include "LivePlayback.h"
#include "PlaybinSession.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tunara::gst {
namespace {

using testing::makeRealTimeSink;

GstElement* owned(GstElement* element)
{
    return GST_ELEMENT(gst_object_ref_sink(element));
}

struct MessageSources {
    GstElement* http = owned(gst_element_factory_make("souphttpsrc", nullptr));
    GstElement* typefind = owned(gst_element_factory_make("typefind", nullptr));
    GstElement* sink = owned(makeRealTimeSink());

    ~MessageSources()
    {
        for (GstElement* element : {http, typefind, sink})
            gst_object_unref(element);
    }
};

class SessionTest : public ::testing::Test {
protected:
    SessionTest()
    {
        SessionSettings settings;
        settings.makeAudioSink = makeRealTimeSink;
        // Nothing listens there; the pipeline's own error is only read
        // once the test spins the event loop, which it does not.
        session = std::make_shared<PlaybinSession>(scheduler, settings, QUrl(QStringLiteral("http://127.0.0.1:9/")));
        session->start();
    }
    ~SessionTest() override { session.reset(); }

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
        post(gst_message_new_element(GST_OBJECT(sources.http),
                                     gst_structure_new("http-headers", "http-status-code", G_TYPE_UINT, status,
                                                       nullptr)));
    }

    QtScheduler scheduler;
    MessageSources sources;
    std::shared_ptr<PlaybinSession> session;
};

TEST_F(SessionTest, TheFirstErrorFailsTheItemWithTheMappedError)
{
    postHttpStatus(404);
    postError(sources.http, GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND);
    postError(sources.typefind, GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND); // later errors change nothing

    EXPECT_EQ(session->status(), ItemStatus::failed);
    ASSERT_TRUE(session->error());
    EXPECT_EQ(session->error()->domain, NSURLErrorDomain);
    EXPECT_EQ(session->error()->code, -1100);
    ASSERT_TRUE(session->error()->underlyingError);
    EXPECT_EQ(session->error()->underlyingError->domain, QStringLiteral("gst-resource-error-quark"));
    EXPECT_EQ(session->error()->underlyingError->code, GST_RESOURCE_ERROR_NOT_FOUND);
    EXPECT_EQ(session->timeControlStatus(), TimeControlStatus::paused);
}

TEST_F(SessionTest, StreamErrorsMapToTheMediaDomain)
{
    // A body that is not audio is first read again as a possible playlist
    // file; when it is none (here: nothing answers), the stream error stands.
    postError(sources.typefind, GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND);
    ASSERT_TRUE(testing::waitUntil([&] { return session->error() != nullptr; }, 10));
    EXPECT_EQ(session->error()->domain, AVFoundationErrorDomain);
    EXPECT_EQ(session->error()->code, -11828);
}

TEST_F(SessionTest, TheEndOfALiveStreamIsALostConnection)
{
    std::vector<ItemStatus> reported;
    auto observation = session->statusChanged.add([&](std::optional<ItemStatus> status) { reported.push_back(*status); });
    post(gst_message_new_eos(GST_OBJECT(sources.sink)));
    EXPECT_EQ(reported, std::vector<ItemStatus>{ItemStatus::failed});
    ASSERT_TRUE(session->error());
    EXPECT_EQ(session->error()->code, -1005);
    EXPECT_FALSE(PlaybackController::isUnrecoverable(session->error().get()));
}

TEST_F(SessionTest, AGenericHttpSourceErrorWaitsForTheProbe)
{
    postHttpStatus(0);
    postError(sources.http, GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED);
    EXPECT_EQ(session->status(), ItemStatus::unknown) << "the cause is not known yet";
}

class RecordingOutputDelegate final : public MetadataOutputPushDelegate {
public:
    void metadataOutput(const std::shared_ptr<MetadataOutput>&, const std::vector<TimedMetadataGroup>& groups) override
    {
        for (const auto& group : groups) {
            QStringList identifiers;
            for (const auto& item : group.items)
                identifiers << item->identifier().value_or(QString());
            deliveries << identifiers.join(QLatin1Char(','));
        }
    }
    QStringList deliveries;
};

TEST_F(SessionTest, OnlyChangedTrackTagsFromTheSinkAreDelivered)
{
    auto output = std::make_shared<GstMetadataOutput>();
    RecordingOutputDelegate delegate;
    LifetimeToken lifetime;
    output->setDelegate(&delegate, lifetime.weak());
    session->addOutput(output);

    auto tags = [](const char* title, guint bitrate) {
        return gst_tag_list_new(GST_TAG_TITLE, title, GST_TAG_BITRATE, bitrate, nullptr);
    };
    post(gst_message_new_tag(GST_OBJECT(sources.sink), tags("A - One", 128000)));
    post(gst_message_new_tag(GST_OBJECT(sources.sink), tags("A - One", 127000))); // re-posted with a new bitrate
    post(gst_message_new_tag(GST_OBJECT(sources.typefind), tags("A - Early", 128000))); // not yet played
    post(gst_message_new_tag(GST_OBJECT(sources.sink),
                             gst_tag_list_new(GST_TAG_ORGANIZATION, "Station", nullptr))); // no track text
    post(gst_message_new_tag(GST_OBJECT(sources.sink), tags("B - Two", 128000)));

    EXPECT_EQ(delegate.deliveries, (QStringList{QStringLiteral("common/title"), QStringLiteral("common/title")}));
}

} // namespace
} // namespace tunara::gst
