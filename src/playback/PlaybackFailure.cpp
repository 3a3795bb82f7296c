#include "PlaybackFailure.h"

#include <QCoreApplication>

#include <array>

namespace tunara {

namespace {

struct ReasonRow {
    FailureReason reason;
    bool final;
    const char* message;
};

// One row per reason, in the enumeration's order.
constexpr std::array reasons{
    ReasonRow{FailureReason::badURL, true, QT_TRANSLATE_NOOP("Failure", "The station's address is not a valid web address.")},
    ReasonRow{FailureReason::unsupportedScheme, true,
              QT_TRANSLATE_NOOP("Failure", "The stream leads to an address that is not http or https.")},
    ReasonRow{FailureReason::hostNotFound, true, QT_TRANSLATE_NOOP("Failure", "The station's server could not be found.")},
    ReasonRow{FailureReason::badServerResponse, true,
              QT_TRANSLATE_NOOP("Failure", "The server's answer is not a stream.")},
    ReasonRow{FailureReason::authenticationRequired, true, QT_TRANSLATE_NOOP("Failure", "The server asks for a login.")},
    ReasonRow{FailureReason::notFound, true, QT_TRANSLATE_NOOP("Failure", "The server has no stream at this address.")},
    ReasonRow{FailureReason::forbidden, true, QT_TRANSLATE_NOOP("Failure", "The server refuses to send the stream.")},
    ReasonRow{FailureReason::tlsFailed, true,
              QT_TRANSLATE_NOOP("Failure", "A secure connection to the server could not be made.")},
    ReasonRow{FailureReason::certificateExpired, true, QT_TRANSLATE_NOOP("Failure", "The server's certificate has expired.")},
    ReasonRow{FailureReason::certificateNotYetValid, true,
              QT_TRANSLATE_NOOP("Failure", "The server's certificate is not valid yet.")},
    ReasonRow{FailureReason::certificateUnknownIssuer, true,
              QT_TRANSLATE_NOOP("Failure", "The server's certificate is signed by an unknown authority.")},
    ReasonRow{FailureReason::certificateBadIdentity, true,
              QT_TRANSLATE_NOOP("Failure", "The server's certificate belongs to another site.")},
    ReasonRow{FailureReason::certificateRevoked, true,
              QT_TRANSLATE_NOOP("Failure", "The server's certificate has been revoked.")},
    ReasonRow{FailureReason::certificateInsecure, true,
              QT_TRANSLATE_NOOP("Failure", "The server's certificate uses insecure cryptography.")},
    ReasonRow{FailureReason::certificateUntrusted, true,
              QT_TRANSLATE_NOOP("Failure", "The server's certificate is not trusted.")},
    ReasonRow{FailureReason::unrecognisedFormat, true,
              QT_TRANSLATE_NOOP("Failure", "The stream is not in a format that can be played.")},
    ReasonRow{FailureReason::parseFailure, true,
              QT_TRANSLATE_NOOP("Failure", "The stream or its playlist could not be read.")},
    ReasonRow{FailureReason::noDecoder, true,
              QT_TRANSLATE_NOOP("Failure", "No decoder is available for the stream's format.")},
    ReasonRow{FailureReason::noBackend, true, QT_TRANSLATE_NOOP("Failure", "This build of Tunara cannot play streams.")},
    ReasonRow{FailureReason::connectionRefused, false, QT_TRANSLATE_NOOP("Failure", "The server refused the connection.")},
    ReasonRow{FailureReason::connectionLost, false,
              QT_TRANSLATE_NOOP("Failure", "The connection to the server was lost.")},
    ReasonRow{FailureReason::timedOut, false, QT_TRANSLATE_NOOP("Failure", "The server did not answer in time.")},
    ReasonRow{FailureReason::offline, false, QT_TRANSLATE_NOOP("Failure", "The network cannot be reached.")},
    ReasonRow{FailureReason::serverUnavailable, false,
              QT_TRANSLATE_NOOP("Failure", "The server is unavailable for the moment.")},
    ReasonRow{FailureReason::otherFailure, false, QT_TRANSLATE_NOOP("Failure", "Playback failed.")},
};

constexpr bool rowsInOrder()
{
    for (std::size_t i = 0; i < reasons.size(); ++i) {
        if (int(reasons[i].reason) != int(i))
            return false;
    }
    return reasons.size() == std::size_t(FailureReason::otherFailure) + 1;
}
static_assert(rowsInOrder(), "one row per reason, in order");

const ReasonRow& rowOf(FailureReason reason)
{
    return reasons[std::size_t(reason)];
}

} // namespace

bool isFinal(FailureReason reason)
{
    return rowOf(reason).final;
}

QString failureMessage(FailureReason reason)
{
    return QString::fromUtf8(rowOf(reason).message);
}

} // namespace tunara
