#include "PlaylistFetch.h"

#include "GLibHeaders.h"

#include "playback/PlaylistParser.h"

#pragma push_macro("signals")
#undef signals
#include <libsoup/soup.h>
#pragma pop_macro("signals")

namespace tunara::gst {

struct PlaylistFetch::Operation {
    PlaylistFetch* owner = nullptr;       // cleared when the fetch is destroyed
    PlaylistFetch::Completion completion; // cleared when the fetch is destroyed
    PlaylistDownload download;
    SoupSession* session = nullptr;
    SoupMessage* message = nullptr;
    GCancellable* cancellable = g_cancellable_new();
    guint deadline = 0;
    char chunk[8192];

    ~Operation()
    {
        if (deadline)
            g_source_remove(deadline);
        g_clear_object(&message);
        g_clear_object(&session);
        g_object_unref(cancellable);
    }

    // Ends the operation: reports once (unless cancelled) and frees itself.
    void finish(PlaylistDownload::Outcome outcome, GInputStream* stream)
    {
        if (stream) {
            g_input_stream_close(stream, nullptr, nullptr);
            g_object_unref(stream);
        }
        download.outcome = outcome;
        if (owner)
            owner->operation_ = nullptr;
        // The completion may destroy the fetch: nothing of it is used after.
        const PlaylistFetch::Completion report = std::move(completion);
        if (report)
            report(std::move(download));
        delete this;
    }

    void readNext(GInputStream* stream)
    {
        g_input_stream_read_async(stream, chunk, sizeof chunk, G_PRIORITY_DEFAULT, cancellable, &Operation::didRead,
                                  this);
    }

    static void didSend(GObject* source, GAsyncResult* result, gpointer data)
    {
        auto* self = static_cast<Operation*>(data);
        GInputStream* stream = soup_session_send_finish(SOUP_SESSION(source), result, nullptr);
        if (!stream)
            return self->finish(g_cancellable_is_cancelled(self->cancellable) && self->completion
                                    ? PlaylistDownload::Outcome::timedOut
                                    : PlaylistDownload::Outcome::failed,
                                nullptr);
        const guint status = soup_message_get_status(self->message);
        if (status < 200 || status >= 300)
            return self->finish(PlaylistDownload::Outcome::failed, stream);
        const char* type = soup_message_headers_get_one(soup_message_get_response_headers(self->message),
                                                        "Content-Type");
        self->download.contentType = QByteArray(type ? type : "");
        GUri* finalURI = soup_message_get_uri(self->message);
        char* finalText = g_uri_to_string(finalURI);
        self->download.finalURL = QUrl::fromEncoded(QByteArray(finalText));
        g_free(finalText);
        self->readNext(stream);
    }

    static void didRead(GObject* source, GAsyncResult* result, gpointer data)
    {
        auto* self = static_cast<Operation*>(data);
        auto* stream = G_INPUT_STREAM(source); // the reference taken by send, released by finish()
        const gssize count = g_input_stream_read_finish(stream, result, nullptr);
        if (count < 0)
            return self->finish(g_cancellable_is_cancelled(self->cancellable) && self->completion
                                    ? PlaylistDownload::Outcome::timedOut
                                    : PlaylistDownload::Outcome::failed,
                                stream);
        if (count == 0)
            return self->finish(PlaylistDownload::Outcome::complete, stream);
        self->download.body.append(self->chunk, count);
        if (self->download.body.size() > PlaylistFetch::maxBytes)
            return self->finish(PlaylistDownload::Outcome::tooLarge, stream);
        // The first bytes tell a playlist from a stream: a stream is not
        // downloaded any further.
        if (self->download.body.size() >= sniffedBytes
            && detectPlaylistFormat(self->download.contentType, self->download.body.left(sniffedBytes))
                == PlaylistFormat::notPlaylist)
            return self->finish(PlaylistDownload::Outcome::complete, stream);
        self->readNext(stream);
    }
};

PlaylistFetch::PlaylistFetch(const QUrl& url, unsigned timeoutSeconds, Completion completion)
    : operation_(new Operation)
{
    operation_->owner = this;
    operation_->completion = std::move(completion);
    operation_->session = soup_session_new_with_options("timeout", timeoutSeconds, "user-agent", "Tunara", nullptr);
    operation_->message = soup_message_new("GET", url.toEncoded().constData());
    if (!operation_->message) {
        // Not a URL libsoup can request: report it from the main loop, as
        // any other outcome.
        operation_->deadline = g_idle_add(
            [](gpointer data) {
                auto* self = static_cast<Operation*>(data);
                self->deadline = 0;
                self->finish(PlaylistDownload::Outcome::failed, nullptr);
                return G_SOURCE_REMOVE;
            },
            operation_);
        return;
    }
    // The whole download must end within the time limit, however slowly
    // the server trickles.
    operation_->deadline = g_timeout_add_seconds(
        timeoutSeconds,
        [](gpointer data) {
            auto* self = static_cast<Operation*>(data);
            self->deadline = 0;
            g_cancellable_cancel(self->cancellable);
            return G_SOURCE_REMOVE;
        },
        operation_);
    soup_session_send_async(operation_->session, operation_->message, G_PRIORITY_DEFAULT, operation_->cancellable,
                            &Operation::didSend, operation_);
}

PlaylistFetch::~PlaylistFetch()
{
    if (!operation_)
        return;
    // The operation ends through its pending callback, which now reports
    // nothing.
    operation_->owner = nullptr;
    operation_->completion = nullptr;
    g_cancellable_cancel(operation_->cancellable);
}

} // namespace tunara::gst
