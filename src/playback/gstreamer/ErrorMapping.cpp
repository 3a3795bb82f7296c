#include "ErrorMapping.h"

namespace tunara::gst {

namespace {

bool isWebScheme(const QString& url)
{
    const QString scheme = url.section(QLatin1Char(':'), 0, 0).toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

FailureReason mapHttpStatus(unsigned status, const FailureReport& report)
{
    if (status >= 300 && status < 400) {
        // Redirects to anything but the web are never followed.
        if (!report.redirectLocation.isEmpty() && !isWebScheme(report.redirectLocation))
            return FailureReason::unsupportedScheme;
        return FailureReason::badServerResponse;
    }
    switch (status) {
    case 404:
    case 410: return FailureReason::notFound;
    case 401:
    case 407: return FailureReason::authenticationRequired;
    case 403: return FailureReason::forbidden;
    case 502:
    case 503:
    case 504: return FailureReason::serverUnavailable;
    default: return FailureReason::badServerResponse;
    }
}

bool isHttpFailureStatus(const std::optional<unsigned>& status)
{
    return status && *status >= 300;
}

// When GIO reports several problems with a certificate, the first of these
// names the failure.
FailureReason certificateFailure(GTlsCertificateFlags flags)
{
    static constexpr std::pair<GTlsCertificateFlags, FailureReason> order[] = {
        {G_TLS_CERTIFICATE_EXPIRED, FailureReason::certificateExpired},
        {G_TLS_CERTIFICATE_NOT_ACTIVATED, FailureReason::certificateNotYetValid},
        {G_TLS_CERTIFICATE_UNKNOWN_CA, FailureReason::certificateUnknownIssuer},
        {G_TLS_CERTIFICATE_BAD_IDENTITY, FailureReason::certificateBadIdentity},
        {G_TLS_CERTIFICATE_REVOKED, FailureReason::certificateRevoked},
        {G_TLS_CERTIFICATE_INSECURE, FailureReason::certificateInsecure},
    };
    for (const auto& [flag, reason] : order) {
        if (flags & flag)
            return reason;
    }
    return FailureReason::certificateUntrusted;
}

} // namespace

bool needsConnectionProbe(const FailureReport& report)
{
    if (!report.refusedScheme.isEmpty() || isHttpFailureStatus(report.httpStatus))
        return false;
    // The HTTP source reports refused connections, unknown hosts, TLS
    // failures, time-outs and lost connections alike.
    return report.fromHttpSource;
}

FailureReason mapFailure(const FailureReport& report)
{
    if (!report.refusedScheme.isEmpty())
        return FailureReason::unsupportedScheme;
    if (isHttpFailureStatus(report.httpStatus))
        return mapHttpStatus(*report.httpStatus, report);
    if (report.domain == GST_STREAM_ERROR) {
        switch (report.code) {
        case GST_STREAM_ERROR_TYPE_NOT_FOUND: return FailureReason::unrecognisedFormat;
        case GST_STREAM_ERROR_CODEC_NOT_FOUND: return FailureReason::noDecoder;
        case GST_STREAM_ERROR_WRONG_TYPE:
        case GST_STREAM_ERROR_DECODE:
        case GST_STREAM_ERROR_DEMUX:
        case GST_STREAM_ERROR_FORMAT: return FailureReason::parseFailure;
        default: break;
        }
    }
    if (report.domain == GST_CORE_ERROR && report.code == GST_CORE_ERROR_MISSING_PLUGIN)
        return FailureReason::noDecoder;
    return report.domain == 0 ? FailureReason::connectionLost : FailureReason::otherFailure;
}

FailureReason mapProbedFailure(const ProbeOutcome& probe)
{
    if (probe.answered)
        return FailureReason::connectionLost;
    if (probe.certificateErrors != 0)
        return certificateFailure(probe.certificateErrors);
    if (probe.domain == G_TLS_ERROR)
        return probe.code == G_TLS_ERROR_BAD_CERTIFICATE ? FailureReason::certificateUntrusted
                                                         : FailureReason::tlsFailed;
    if (probe.domain == G_RESOLVER_ERROR)
        return probe.code == G_RESOLVER_ERROR_NOT_FOUND ? FailureReason::hostNotFound : FailureReason::offline;
    if (probe.domain == G_IO_ERROR) {
        switch (probe.code) {
        case G_IO_ERROR_CONNECTION_REFUSED: return FailureReason::connectionRefused;
        case G_IO_ERROR_NETWORK_UNREACHABLE:
        case G_IO_ERROR_HOST_UNREACHABLE: return FailureReason::offline;
        case G_IO_ERROR_TIMED_OUT:
        case G_IO_ERROR_CANCELLED: return FailureReason::timedOut;
        case G_IO_ERROR_CONNECTION_CLOSED: return FailureReason::connectionLost;
        default: break;
        }
    }
    return FailureReason::connectionRefused;
}

bool mayBePlaylist(FailureReason reason)
{
    // What playbin says of a body that is not audio: a playlist file is text.
    return reason == FailureReason::unrecognisedFormat || reason == FailureReason::noDecoder
           || reason == FailureReason::parseFailure;
}

} // namespace tunara::gst
