#pragma once

// Why a stream failed, in this player's own words, and which failures are
// final: a final failure ends in the error status at once, any other is
// answered by the stall timer and its reconnections.

#include <QString>

namespace tunara {

enum class FailureReason {
    // Final: trying again cannot help.
    badURL,                 // the address is not a usable web address
    unsupportedScheme,      // the stream, a redirect or a playlist entry names something but http or https
    hostNotFound,           // the name server does not know the host
    badServerResponse,      // an answer that is not a stream: an unexpected status, a redirect loop
    authenticationRequired, // HTTP 401, 407
    notFound,               // HTTP 404, 410
    forbidden,              // HTTP 403
    tlsFailed,              // the TLS handshake failed
    certificateExpired,     // the certificate flags GIO reports, each on its own
    certificateNotYetValid,
    certificateUnknownIssuer,
    certificateBadIdentity,
    certificateRevoked,
    certificateInsecure,
    certificateUntrusted, // any other certificate problem
    unrecognisedFormat,   // no typefinder knows the data
    parseFailure,         // a demuxer, parser or playlist reader gave up on the data
    noDecoder,            // the format is known but nothing here decodes it
    noBackend,            // this program cannot play streams: its media backend is missing
    // Recoverable: the station may answer again.
    connectionRefused,
    connectionLost, // also a live stream the server ended
    timedOut,
    offline,           // no route to the host, or no name server reachable
    serverUnavailable, // HTTP 502, 503, 504
    otherFailure,      // anything else the pipeline reports
};

bool isFinal(FailureReason reason);

// The message for a reason, in English as the log writes it; the windows show
// it translated (context "Failure").
QString failureMessage(FailureReason reason);

// A failure as a session reports it.
struct PlaybackFailure {
    FailureReason reason;
    QString message;

    static PlaybackFailure because(FailureReason reason) { return {reason, failureMessage(reason)}; }
    bool isFinal() const { return tunara::isFinal(reason); }
    friend bool operator==(const PlaybackFailure&, const PlaybackFailure&) = default;
};

} // namespace tunara
