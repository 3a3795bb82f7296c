// The failure table: what GStreamer and the connection probe report, and
// the domain and code the controller receives.

#include "ErrorMapping.h"

#include "GLibHeaders.h"

#include "playback/PlaybackController.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tunara::gst {
namespace {

FailureReport httpFailure(unsigned status, QString location = {})
{
    FailureReport report;
    report.domain = GST_RESOURCE_ERROR;
    report.code = GST_RESOURCE_ERROR_OPEN_READ;
    report.message = QStringLiteral("Could not open resource for reading.");
    report.fromHttpSource = true;
    report.httpStatus = status;
    report.redirectLocation = std::move(location);
    return report;
}

FailureReport gstFailure(GQuark domain, int code)
{
    FailureReport report;
    report.domain = domain;
    report.code = code;
    report.message = QStringLiteral("GStreamer says no");
    return report;
}

struct Row {
    const char* name;
    FailureReport report;
    QString domain;
    long long code;
    bool unrecoverable;
};

void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

class FailureTableTest : public ::testing::TestWithParam<Row> {};

TEST_P(FailureTableTest, MapsToItsDomainAndCodeKeepingTheGStreamerError)
{
    const Row& row = GetParam();
    ASSERT_FALSE(needsConnectionProbe(row.report));
    const MediaError error = mapFailure(row.report);
    EXPECT_EQ(error.domain, row.domain);
    EXPECT_EQ(error.code, row.code);
    EXPECT_EQ(PlaybackController::isUnrecoverable(&error), row.unrecoverable);
    if (error.domain != QString::fromUtf8(g_quark_to_string(row.report.domain))) {
        ASSERT_TRUE(error.underlyingError);
        EXPECT_EQ(error.underlyingError->domain, QString::fromUtf8(g_quark_to_string(row.report.domain)));
        EXPECT_EQ(error.underlyingError->code, row.report.code);
    }
}

const QString url = NSURLErrorDomain;
const QString av = AVFoundationErrorDomain;

INSTANTIATE_TEST_SUITE_P(
    Http, FailureTableTest,
    ::testing::Values(Row{"NotFound", httpFailure(404), url, -1100, true}, Row{"Gone", httpFailure(410), url, -1100, true},
                      Row{"Unauthorized", httpFailure(401), url, -1013, true},
                      Row{"ProxyAuthentication", httpFailure(407), url, -1013, true},
                      Row{"Forbidden", httpFailure(403), url, -1102, true},
                      Row{"BadGateway", httpFailure(502), HTTPErrorDomain, 502, false},
                      Row{"Unavailable", httpFailure(503), HTTPErrorDomain, 503, false},
                      Row{"GatewayTimeout", httpFailure(504), HTTPErrorDomain, 504, false},
                      Row{"Teapot", httpFailure(418), url, -1011, true},
                      Row{"InternalError", httpFailure(500), url, -1011, true},
                      Row{"RedirectToFile", httpFailure(302, QStringLiteral("file:///etc/passwd")), url, -1002, true},
                      Row{"RedirectLoop", httpFailure(302, QStringLiteral("https://example.org/")), url, -1011, true}),
    [](const ::testing::TestParamInfo<Row>& row) { return row.param.name; });

FailureReport refused(const char* scheme)
{
    FailureReport report = gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED);
    report.refusedScheme = QString::fromUtf8(scheme);
    return report;
}

INSTANTIATE_TEST_SUITE_P(
    Stream, FailureTableTest,
    ::testing::Values(Row{"TypeNotFound", gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND), av, -11828, true},
                      Row{"CodecNotFound", gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND), av, -11833, true},
                      Row{"MissingPlugin", gstFailure(GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN), av, -11833, true},
                      Row{"Demux", gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_DEMUX), av, -11853, true},
                      Row{"Format", gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_FORMAT), av, -11853, true},
                      Row{"Decode", gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE), av, -11853, true},
                      Row{"RefusedScheme", refused("file"), url, -1002, true},
                      Row{"AnythingElse", gstFailure(GST_CORE_ERROR, GST_CORE_ERROR_STATE_CHANGE),
                          QString::fromUtf8(g_quark_to_string(GST_CORE_ERROR)), GST_CORE_ERROR_STATE_CHANGE, false}),
    [](const ::testing::TestParamInfo<Row>& row) { return row.param.name; });

struct ProbeRow {
    const char* name;
    ProbeOutcome probe;
    long long code;
    bool unrecoverable;
};

void PrintTo(const ProbeRow& row, std::ostream* os)
{
    *os << row.name;
}

ProbeOutcome probeError(GQuark domain, int code, GTlsCertificateFlags flags = GTlsCertificateFlags(0))
{
    ProbeOutcome outcome;
    outcome.domain = domain;
    outcome.code = code;
    outcome.message = QStringLiteral("probe failed");
    outcome.certificateErrors = flags;
    return outcome;
}

ProbeOutcome answered()
{
    ProbeOutcome outcome;
    outcome.answered = true;
    return outcome;
}

class ProbedFailureTableTest : public ::testing::TestWithParam<ProbeRow> {};

TEST_P(ProbedFailureTableTest, TheProbeFindsTheRealCause)
{
    // What the HTTP source reports for all of these: a generic error, no status.
    FailureReport report = httpFailure(0);
    report.domain = GST_STREAM_ERROR;
    report.code = GST_STREAM_ERROR_FAILED;
    ASSERT_TRUE(needsConnectionProbe(report));

    const MediaError error = mapProbedFailure(report, GetParam().probe);
    EXPECT_EQ(error.domain, NSURLErrorDomain);
    EXPECT_EQ(error.code, GetParam().code);
    EXPECT_EQ(PlaybackController::isUnrecoverable(&error), GetParam().unrecoverable);
    ASSERT_TRUE(error.underlyingError);
    EXPECT_EQ(error.underlyingError->code, GST_STREAM_ERROR_FAILED);
    if (!GetParam().probe.answered) {
        ASSERT_TRUE(error.underlyingError->underlyingError) << "the GIO error is kept below the GStreamer one";
        EXPECT_EQ(error.underlyingError->underlyingError->code, GetParam().probe.code);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Probe, ProbedFailureTableTest,
    ::testing::Values(
        ProbeRow{"UnknownHost", probeError(G_RESOLVER_ERROR, G_RESOLVER_ERROR_NOT_FOUND), -1003, true},
        ProbeRow{"NoNameServer", probeError(G_RESOLVER_ERROR, G_RESOLVER_ERROR_TEMPORARY_FAILURE), -1009, false},
        ProbeRow{"Refused", probeError(G_IO_ERROR, G_IO_ERROR_CONNECTION_REFUSED), -1004, false},
        ProbeRow{"NoRoute", probeError(G_IO_ERROR, G_IO_ERROR_NETWORK_UNREACHABLE), -1009, false},
        ProbeRow{"HostUnreachable", probeError(G_IO_ERROR, G_IO_ERROR_HOST_UNREACHABLE), -1009, false},
        ProbeRow{"Silence", probeError(G_IO_ERROR, G_IO_ERROR_TIMED_OUT), -1001, false},
        ProbeRow{"ClosedWithoutAnswer", probeError(G_IO_ERROR, G_IO_ERROR_CONNECTION_CLOSED), -1005, false},
        ProbeRow{"ServerAnswers", answered(), -1005, false},
        ProbeRow{"Expired", probeError(G_TLS_ERROR, G_TLS_ERROR_BAD_CERTIFICATE,
                                       GTlsCertificateFlags(G_TLS_CERTIFICATE_EXPIRED | G_TLS_CERTIFICATE_UNKNOWN_CA)),
                 -1201, true},
        ProbeRow{"NotYetValid",
                 probeError(G_TLS_ERROR, G_TLS_ERROR_BAD_CERTIFICATE, G_TLS_CERTIFICATE_NOT_ACTIVATED), -1204, true},
        ProbeRow{"UnknownRoot", probeError(G_TLS_ERROR, G_TLS_ERROR_BAD_CERTIFICATE, G_TLS_CERTIFICATE_UNKNOWN_CA),
                 -1203, true},
        ProbeRow{"WrongHost", probeError(G_TLS_ERROR, G_TLS_ERROR_BAD_CERTIFICATE, G_TLS_CERTIFICATE_BAD_IDENTITY),
                 -1202, true},
        ProbeRow{"HandshakeFailed", probeError(G_TLS_ERROR, G_TLS_ERROR_HANDSHAKE), -1200, true}),
    [](const ::testing::TestParamInfo<ProbeRow>& row) { return row.param.name; });

TEST(FailureProbeTest, OnlyTheHttpSourcesGenericErrorsAreProbed)
{
    EXPECT_FALSE(needsConnectionProbe(httpFailure(404)));
    EXPECT_FALSE(needsConnectionProbe(gstFailure(GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED)));
    FailureReport midStream = httpFailure(200);
    midStream.code = GST_RESOURCE_ERROR_SEEK;
    EXPECT_TRUE(needsConnectionProbe(midStream));
}

} // namespace
} // namespace tunara::gst
