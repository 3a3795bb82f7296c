#pragma once

// Turns what GStreamer, libsoup and GIO report about a failed stream into
// the player's failure reasons.

#include "playback/PlaybackFailure.h"

#include "GLibHeaders.h"

#include <QString>

#include <optional>

namespace tunara::gst {

// What the bus told about a failure, gathered before mapping it.
struct FailureReport {
    GQuark domain = 0;   // of the first ERROR message's GError
    int code = 0;
    QString message;
    bool fromHttpSource = false;        // posted by the HTTP source element
    std::optional<unsigned> httpStatus; // of the failing request, 0 when none was answered
    QString redirectLocation;           // Location of a 3xx answer
    QString refusedScheme;              // a URI with a scheme we never open was asked for
};

// The outcome of connecting once more to the failing server, to tell the
// causes apart that the HTTP source reports all alike.
struct ProbeOutcome {
    bool answered = false; // the server accepted the connection and answered a request
    GQuark domain = 0;     // of the GIO error when not connected
    int code = 0;
    GTlsCertificateFlags certificateErrors = GTlsCertificateFlags(0);
};

// True when only a connection probe can tell the cause of this failure.
bool needsConnectionProbe(const FailureReport& report);

// A failure that needs no probe.
FailureReason mapFailure(const FailureReport& report);

// A failure whose cause the probe found.
FailureReason mapProbedFailure(const ProbeOutcome& probe);

// A body that is not audio may be a playlist file naming the stream.
bool mayBePlaylist(FailureReason reason);

} // namespace tunara::gst
