// The failure table: what GStreamer, libsoup and the connection probe
// report, and the reason the player is given.

#include "ErrorMapping.h"

#include <gtest/gtest.h>

namespace tunara::gst {
namespace {

using R = FailureReason;

FailureReport gstFailure(GQuark domain, int code, const char* refusedScheme = "")
{
    FailureReport report;
    report.domain = domain;
    report.code = code;
    report.refusedScheme = refusedScheme;
    return report;
}

FailureReport httpFailure(unsigned status, const char* location = "")
{
    FailureReport report = gstFailure(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_READ);
    report.fromHttpSource = true;
    report.httpStatus = status;
    report.redirectLocation = location;
    return report;
}

ProbeOutcome probeError(GQuark domain, int code, int certificateErrors = 0)
{
    return {false, domain, code, GTlsCertificateFlags(certificateErrors)};
}

TEST(FailureTableTest, WhatTheBusSaysNamesTheReason)
{
    // Beside the answers the live tests get from the stream server.
    const std::pair<FailureReport, FailureReason> rows[] = {
        {httpFailure(407), R::authenticationRequired},
        {httpFailure(504), R::serverUnavailable},
        {httpFailure(418), R::badServerResponse},
        {httpFailure(302, "https://example.org/"), R::badServerResponse}, // a redirect loop
        {gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND), R::unrecognisedFormat},
        {gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND), R::noDecoder},
        {gstFailure(GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN), R::noDecoder},
        {gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_DEMUX), R::parseFailure},
        {gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_FORMAT), R::parseFailure},
        {gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE), R::parseFailure},
        {gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED, "file"), R::unsupportedScheme},
        {gstFailure(GST_CORE_ERROR, GST_CORE_ERROR_STATE_CHANGE), R::otherFailure},
    };
    for (const auto& [report, reason] : rows) {
        EXPECT_FALSE(needsConnectionProbe(report));
        EXPECT_EQ(mapFailure(report), reason) << g_quark_to_string(report.domain) << " " << report.code << " "
                                              << report.httpStatus.value_or(0);
    }
}

// What the HTTP source reports for all of these: a generic error, no
// status. Connecting once more tells them apart.
TEST(FailureTableTest, TheProbeFindsTheRealCause)
{
    FailureReport generic = httpFailure(0);
    generic.domain = GST_STREAM_ERROR;
    generic.code = GST_STREAM_ERROR_FAILED;
    ASSERT_TRUE(needsConnectionProbe(generic));
    FailureReport midStream = httpFailure(200);
    midStream.code = GST_RESOURCE_ERROR_SEEK;
    EXPECT_TRUE(needsConnectionProbe(midStream));
    EXPECT_FALSE(needsConnectionProbe(gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED)));

    const int bad = G_TLS_ERROR_BAD_CERTIFICATE;
    const std::pair<ProbeOutcome, FailureReason> rows[] = {
        {probeError(G_RESOLVER_ERROR, G_RESOLVER_ERROR_NOT_FOUND), R::hostNotFound},
        {probeError(G_RESOLVER_ERROR, G_RESOLVER_ERROR_TEMPORARY_FAILURE), R::offline},
        {probeError(G_IO_ERROR, G_IO_ERROR_CONNECTION_REFUSED), R::connectionRefused},
        {probeError(G_IO_ERROR, G_IO_ERROR_NETWORK_UNREACHABLE), R::offline},
        {probeError(G_IO_ERROR, G_IO_ERROR_HOST_UNREACHABLE), R::offline},
        {probeError(G_IO_ERROR, G_IO_ERROR_TIMED_OUT), R::timedOut},
        {probeError(G_IO_ERROR, G_IO_ERROR_CONNECTION_CLOSED), R::connectionLost},
        {ProbeOutcome{true, 0, 0, GTlsCertificateFlags(0)}, R::connectionLost}, // it answers: the stream broke off
        {probeError(G_TLS_ERROR, bad, G_TLS_CERTIFICATE_EXPIRED | G_TLS_CERTIFICATE_UNKNOWN_CA), R::certificateExpired},
        {probeError(G_TLS_ERROR, bad, G_TLS_CERTIFICATE_NOT_ACTIVATED), R::certificateNotYetValid},
        {probeError(G_TLS_ERROR, bad, G_TLS_CERTIFICATE_UNKNOWN_CA), R::certificateUnknownIssuer},
        {probeError(G_TLS_ERROR, bad, G_TLS_CERTIFICATE_BAD_IDENTITY), R::certificateBadIdentity},
        {probeError(G_TLS_ERROR, bad, G_TLS_CERTIFICATE_REVOKED), R::certificateRevoked},
        {probeError(G_TLS_ERROR, bad, G_TLS_CERTIFICATE_INSECURE), R::certificateInsecure},
        {probeError(G_TLS_ERROR, bad, G_TLS_CERTIFICATE_GENERIC_ERROR), R::certificateUntrusted},
        {probeError(G_TLS_ERROR, bad), R::certificateUntrusted},
        {probeError(G_TLS_ERROR, G_TLS_ERROR_HANDSHAKE), R::tlsFailed},
    };
    for (const auto& [probe, reason] : rows)
        EXPECT_EQ(mapProbedFailure(probe), reason) << g_quark_to_string(probe.domain) << " " << probe.code;
}

} // namespace
} // namespace tunara::gst
