#include "ErrorMapping.h"

#include "GLibHeaders.h"

namespace tunara::gst {

namespace {

QString urlErrorDescription(long long code)
{
    switch (code) {
    case urlError::timedOut: return QStringLiteral("The request timed out.");
    case urlError::unsupportedURL: return QStringLiteral("unsupported URL");
    case urlError::cannotFindHost: return QStringLiteral("A server with the specified hostname could not be found.");
    case urlError::cannotConnectToHost: return QStringLiteral("Could not connect to the server.");
    case urlError::networkConnectionLost: return QStringLiteral("The network connection was lost.");
    case urlError::notConnectedToInternet: return QStringLiteral("The Internet connection appears to be offline.");
    case urlError::badServerResponse: return QStringLiteral("The server returned a bad response.");
    case urlError::userAuthenticationRequired: return QStringLiteral("User authentication required.");
    case urlError::fileDoesNotExist: return QStringLiteral("The requested URL was not found on this server.");
    case urlError::noPermissionsToReadFile: return QStringLiteral("You do not have permission to access the requested resource.");
    case urlError::secureConnectionFailed:
        return QStringLiteral("An SSL error has occurred and a secure connection to the server cannot be made.");
    case urlError::serverCertificateHasBadDate: return QStringLiteral("The certificate for this server has expired.");
    case urlError::serverCertificateUntrusted: return QStringLiteral("The certificate for this server is invalid.");
    case urlError::serverCertificateHasUnknownRoot:
        return QStringLiteral("The certificate for this server was signed by an unknown certifying authority.");
    case urlError::serverCertificateNotYetValid: return QStringLiteral("The certificate for this server is not yet valid.");
    default: return QStringLiteral("URL error %1").arg(code);
    }
}

QString avErrorDescription(long long code)
{
    switch (code) {
    case avError::fileFormatNotRecognized: return QStringLiteral("The stream is not in a format that can be played.");
    case avError::decoderNotFound: return QStringLiteral("No decoder is available for the stream's format.");
    case avError::failedToParse: return QStringLiteral("The stream or its playlist could not be parsed.");
    default: return QStringLiteral("Media error %1").arg(code);
    }
}

std::shared_ptr<const MediaError> underlying(GQuark domain, int code, const QString& message,
                                             std::shared_ptr<const MediaError> deeper = nullptr)
{
    if (domain == 0)
        return deeper;
    return std::make_shared<const MediaError>(
        MediaError{QString::fromUtf8(g_quark_to_string(domain)), code, message, std::move(deeper)});
}

std::shared_ptr<const MediaError> gstreamerError(const FailureReport& report)
{
    return underlying(report.domain, report.code, report.message);
}

MediaError urlFailure(long long code, std::shared_ptr<const MediaError> cause)
{
    return MediaError{NSURLErrorDomain, code, urlErrorDescription(code), std::move(cause)};
}

MediaError avFailure(long long code, std::shared_ptr<const MediaError> cause)
{
    return MediaError{AVFoundationErrorDomain, code, avErrorDescription(code), std::move(cause)};
}

bool isWebScheme(const QString& url)
{
    const QString scheme = url.section(QLatin1Char(':'), 0, 0).toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

MediaError mapHttpStatus(unsigned status, const FailureReport& report)
{
    auto cause = gstreamerError(report);
    if (status >= 300 && status < 400) {
        // Redirects to anything but the web are never followed.
        if (!report.redirectLocation.isEmpty() && !isWebScheme(report.redirectLocation))
            return urlFailure(urlError::unsupportedURL, cause);
        return urlFailure(urlError::badServerResponse, cause);
    }
    switch (status) {
    case 404:
    case 410: return urlFailure(urlError::fileDoesNotExist, cause);
    case 401:
    case 407: return urlFailure(urlError::userAuthenticationRequired, cause);
    case 403: return urlFailure(urlError::noPermissionsToReadFile, cause);
    case 502:
    case 503:
    case 504:
        return MediaError{HTTPErrorDomain, status, QStringLiteral("The server answered with HTTP status %1.").arg(status),
                          cause};
    default: return urlFailure(urlError::badServerResponse, cause);
    }
}

bool isHttpFailureStatus(const std::optional<unsigned>& status)
{
    return status && *status >= 300;
}

long long certificateCode(GTlsCertificateFlags flags)
{
    if (flags & G_TLS_CERTIFICATE_EXPIRED)
        return urlError::serverCertificateHasBadDate;
    if (flags & G_TLS_CERTIFICATE_NOT_ACTIVATED)
        return urlError::serverCertificateNotYetValid;
    if (flags & G_TLS_CERTIFICATE_UNKNOWN_CA)
        return urlError::serverCertificateHasUnknownRoot;
    return urlError::serverCertificateUntrusted;
}

long long probeFailureCode(const ProbeOutcome& probe)
{
    if (probe.answered)
        return urlError::networkConnectionLost;
    if (probe.certificateErrors != 0)
        return certificateCode(probe.certificateErrors);
    if (probe.domain == G_TLS_ERROR)
        return probe.code == G_TLS_ERROR_BAD_CERTIFICATE ? urlError::serverCertificateUntrusted
                                                         : urlError::secureConnectionFailed;
    if (probe.domain == G_RESOLVER_ERROR)
        return probe.code == G_RESOLVER_ERROR_NOT_FOUND ? urlError::cannotFindHost : urlError::notConnectedToInternet;
    if (probe.domain == G_IO_ERROR) {
        switch (probe.code) {
        case G_IO_ERROR_CONNECTION_REFUSED: return urlError::cannotConnectToHost;
        case G_IO_ERROR_NETWORK_UNREACHABLE:
        case G_IO_ERROR_HOST_UNREACHABLE: return urlError::notConnectedToInternet;
        case G_IO_ERROR_TIMED_OUT:
        case G_IO_ERROR_CANCELLED: return urlError::timedOut;
        case G_IO_ERROR_CONNECTION_CLOSED: return urlError::networkConnectionLost;
        default: break;
        }
    }
    return urlError::cannotConnectToHost;
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

MediaError mapFailure(const FailureReport& report)
{
    if (!report.refusedScheme.isEmpty())
        return urlFailure(urlError::unsupportedURL, gstreamerError(report));
    if (isHttpFailureStatus(report.httpStatus))
        return mapHttpStatus(*report.httpStatus, report);

    if (report.domain == GST_STREAM_ERROR) {
        switch (report.code) {
        case GST_STREAM_ERROR_TYPE_NOT_FOUND: return avFailure(avError::fileFormatNotRecognized, gstreamerError(report));
        case GST_STREAM_ERROR_CODEC_NOT_FOUND: return avFailure(avError::decoderNotFound, gstreamerError(report));
        case GST_STREAM_ERROR_WRONG_TYPE:
        case GST_STREAM_ERROR_DECODE:
        case GST_STREAM_ERROR_DEMUX:
        case GST_STREAM_ERROR_FORMAT: return avFailure(avError::failedToParse, gstreamerError(report));
        default: break;
        }
    }
    if (report.domain == GST_CORE_ERROR && report.code == GST_CORE_ERROR_MISSING_PLUGIN)
        return avFailure(avError::decoderNotFound, gstreamerError(report));

    if (report.domain == 0)
        return urlFailure(urlError::networkConnectionLost, nullptr);
    return MediaError{QString::fromUtf8(g_quark_to_string(report.domain)), report.code, report.message, nullptr};
}

MediaError mapProbedFailure(const FailureReport& report, const ProbeOutcome& probe)
{
    auto cause = gstreamerError(report);
    if (!probe.answered)
        cause = underlying(report.domain, report.code, report.message,
                           underlying(probe.domain, probe.code, probe.message));
    return urlFailure(probeFailureCode(probe), cause);
}

MediaError unsupportedSchemeError(const QString& scheme)
{
    return urlFailure(urlError::unsupportedURL,
                      std::make_shared<const MediaError>(MediaError{
                          QString::fromUtf8(g_quark_to_string(GST_RESOURCE_ERROR)), GST_RESOURCE_ERROR_NOT_FOUND,
                          QStringLiteral("No source is allowed for the scheme \"%1\".").arg(scheme), nullptr}));
}

MediaError unparsablePlaylistError(std::shared_ptr<const MediaError> cause)
{
    return avFailure(avError::failedToParse, std::move(cause));
}

MediaError unintelligibleStreamError()
{
    return avFailure(avError::fileFormatNotRecognized,
                     std::make_shared<const MediaError>(MediaError{
                         QString::fromUtf8(g_quark_to_string(GST_STREAM_ERROR)), GST_STREAM_ERROR_TYPE_NOT_FOUND,
                         QStringLiteral("The stream's data could not be made sense of."), nullptr}));
}

MediaError startTimedOutError()
{
    return urlFailure(urlError::timedOut, nullptr);
}

MediaError streamEndedError()
{
    return urlFailure(urlError::networkConnectionLost, nullptr);
}

} // namespace tunara::gst
