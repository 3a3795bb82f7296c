#include "ConnectionProbe.h"

#include "GObjectPtr.h"

namespace tunara::gst {

struct ConnectionProbe::Operation {
    GObjectPtr<GCancellable> cancellable{g_cancellable_new()};
    GObjectPtr<GSocketClient> client{g_socket_client_new()};
    GObjectPtr<GSocketConnection> connection;
    QByteArray request;
    char answer[16] = {};
    GTlsCertificateFlags certificateErrors = GTlsCertificateFlags(0);
    guint timeoutSource = 0;
    Completion completion;
    ConnectionProbe* owner = nullptr; // cleared when the owner cancels

    void finish(ProbeOutcome outcome)
    {
        if (timeoutSource != 0)
            g_source_remove(timeoutSource);
        outcome.certificateErrors = certificateErrors;
        Completion done = owner ? std::move(completion) : nullptr;
        if (owner)
            owner->operation_ = nullptr;
        delete this;
        // The completion may destroy the probe; nothing of it is used after.
        if (done)
            done(std::move(outcome));
    }

    void fail(GError* error)
    {
        ProbeOutcome outcome;
        outcome.domain = error->domain;
        outcome.code = error->code;
        g_error_free(error);
        finish(std::move(outcome));
    }
};

namespace {

using Operation = ConnectionProbe::Operation;

gboolean rejectCertificate(GTlsConnection*, GTlsCertificate*, GTlsCertificateFlags errors, gpointer data)
{
    static_cast<Operation*>(data)->certificateErrors = errors;
    return FALSE;
}

void watchHandshake(GSocketClient*, GSocketClientEvent event, GSocketConnectable*, GIOStream* connection,
                    gpointer data)
{
    if (event == G_SOCKET_CLIENT_TLS_HANDSHAKING && G_IS_TLS_CONNECTION(connection))
        g_signal_connect(connection, "accept-certificate", G_CALLBACK(rejectCertificate), data);
}

void answerRead(GObject* stream, GAsyncResult* result, gpointer data)
{
    auto* operation = static_cast<Operation*>(data);
    GError* error = nullptr;
    const gssize read = g_input_stream_read_finish(G_INPUT_STREAM(stream), result, &error);
    if (read < 0)
        return operation->fail(error);
    ProbeOutcome outcome;
    if (read > 0) {
        outcome.answered = true;
    } else {
        outcome.domain = G_IO_ERROR;
        outcome.code = G_IO_ERROR_CONNECTION_CLOSED;
    }
    operation->finish(std::move(outcome));
}

void requestWritten(GObject* stream, GAsyncResult* result, gpointer data)
{
    auto* operation = static_cast<Operation*>(data);
    GError* error = nullptr;
    if (!g_output_stream_write_all_finish(G_OUTPUT_STREAM(stream), result, nullptr, &error))
        return operation->fail(error);
    GInputStream* input = g_io_stream_get_input_stream(G_IO_STREAM(operation->connection.get()));
    g_input_stream_read_async(input, operation->answer, sizeof operation->answer, G_PRIORITY_DEFAULT,
                              operation->cancellable.get(), answerRead, operation);
}

void connected(GObject* client, GAsyncResult* result, gpointer data)
{
    auto* operation = static_cast<Operation*>(data);
    GError* error = nullptr;
    GSocketConnection* connection = g_socket_client_connect_to_uri_finish(G_SOCKET_CLIENT(client), result, &error);
    if (!connection)
        return operation->fail(error);
    operation->connection.reset(connection);
    GOutputStream* output = g_io_stream_get_output_stream(G_IO_STREAM(connection));
    g_output_stream_write_all_async(output, operation->request.constData(), gsize(operation->request.size()),
                                    G_PRIORITY_DEFAULT, operation->cancellable.get(), requestWritten, operation);
}

gboolean timedOut(gpointer data)
{
    auto* operation = static_cast<Operation*>(data);
    operation->timeoutSource = 0;
    g_cancellable_cancel(operation->cancellable.get());
    return G_SOURCE_REMOVE;
}

QByteArray requestFor(const QString& url)
{
    QByteArray path = "/";
    QByteArray host;
    if (GUri* uri = g_uri_parse(url.toUtf8().constData(), G_URI_FLAGS_ENCODED, nullptr)) {
        if (g_uri_get_path(uri)[0] != '\0')
            path = g_uri_get_path(uri);
        if (const char* query = g_uri_get_query(uri))
            path += QByteArray("?") + query;
        if (const char* name = g_uri_get_host(uri))
            host = name;
        g_uri_unref(uri);
    }
    return "GET " + path + " HTTP/1.0\r\nHost: " + host + "\r\nUser-Agent: Tunara\r\nConnection: close\r\n\r\n";
}

} // namespace

ConnectionProbe::ConnectionProbe(const QString& url, unsigned timeoutSeconds, Completion completion)
    : operation_(new Operation)
{
    operation_->completion = std::move(completion);
    operation_->owner = this;
    operation_->request = requestFor(url);
    const bool secure = url.startsWith(QLatin1String("https:"), Qt::CaseInsensitive);
    g_socket_client_set_timeout(operation_->client.get(), timeoutSeconds);
    g_socket_client_set_tls(operation_->client.get(), secure);
    g_signal_connect(operation_->client.get(), "event", G_CALLBACK(watchHandshake), operation_);
    // Name resolution has no socket time-out of its own.
    operation_->timeoutSource = g_timeout_add_seconds(timeoutSeconds + 1, timedOut, operation_);
    g_socket_client_connect_to_uri_async(operation_->client.get(), url.toUtf8().constData(), secure ? 443 : 80,
                                         operation_->cancellable.get(), connected, operation_);
}

ConnectionProbe::~ConnectionProbe()
{
    // A running operation ends through its cancelled callback and frees itself.
    if (operation_) {
        operation_->owner = nullptr;
        g_cancellable_cancel(operation_->cancellable.get());
    }
}

} // namespace tunara::gst
