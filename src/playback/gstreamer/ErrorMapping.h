#pragma once

// Turns what GStreamer and GIO report about a failed stream into the error
// domains and codes the playback controller classifies. Each mapped error
// keeps the GStreamer error (and, where a connection probe ran, the GIO
// error it met) as its underlying error.

#include "playback/MediaBackend.h"

#include "GLibHeaders.h"

#include <QString>

#include <optional>

namespace tunara::gst {

// Transient HTTP failures (502, 503, 504) carry their status in this domain.
inline const QString HTTPErrorDomain = QStringLiteral("TunaraHTTPErrorDomain");

// The URL-loading codes this backend reports.
namespace urlError {
constexpr long long timedOut = -1001;
constexpr long long unsupportedURL = -1002;
constexpr long long cannotFindHost = -1003;
constexpr long long cannotConnectToHost = -1004;
constexpr long long networkConnectionLost = -1005;
constexpr long long notConnectedToInternet = -1009;
constexpr long long badServerResponse = -1011;
constexpr long long userAuthenticationRequired = -1013;
constexpr long long fileDoesNotExist = -1100;
constexpr long long noPermissionsToReadFile = -1102;
constexpr long long secureConnectionFailed = -1200;
constexpr long long serverCertificateHasBadDate = -1201;
constexpr long long serverCertificateUntrusted = -1202;
constexpr long long serverCertificateHasUnknownRoot = -1203;
constexpr long long serverCertificateNotYetValid = -1204;
} // namespace urlError

// The media-framework codes this backend reports.
namespace avError {
constexpr long long fileFormatNotRecognized = -11828;
constexpr long long decoderNotFound = -11833;
constexpr long long failedToParse = -11853;
} // namespace avError

// What the bus told about a failure, gathered before mapping it.
struct FailureReport {
    GQuark domain = 0;   // of the first ERROR message's GError
    int code = 0;
    QString message;
    bool fromHttpSource = false;       // posted by the HTTP source element
    std::optional<unsigned> httpStatus; // of the failing request, 0 when none was answered
    QString redirectLocation;          // Location of a 3xx answer
    QString refusedScheme;             // a URI with a scheme we never open was asked for
};

// The outcome of connecting once more to the failing server, to tell the
// causes apart that the HTTP source reports all alike.
struct ProbeOutcome {
    bool answered = false; // the server accepted the connection and answered a request
    GQuark domain = 0; // of the GIO error when not connected
    int code = 0;
    QString message;
    GTlsCertificateFlags certificateErrors = GTlsCertificateFlags(0);
};

// True when only a connection probe can tell the cause of this failure.
bool needsConnectionProbe(const FailureReport& report);

// Maps a failure that needs no probe.
MediaError mapFailure(const FailureReport& report);

// Maps a failure whose cause the probe found.
MediaError mapProbedFailure(const FailureReport& report, const ProbeOutcome& probe);

// The errors the backend raises on its own.
MediaError unsupportedSchemeError(const QString& scheme);
MediaError streamEndedError();
// A playlist file that is too large, too slow, or names no stream to play.
MediaError unparsablePlaylistError(std::shared_ptr<const MediaError> cause);
// A stream that did not become playable in time: bytes came that nothing
// could make sense of, or no bytes came at all.
MediaError unintelligibleStreamError();
MediaError startTimedOutError();

} // namespace tunara::gst
