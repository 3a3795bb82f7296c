#include "StdoutCapture.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace tunara::testing {

StdoutCapture::StdoutCapture()
{
    std::fflush(stdout);
    char path[] = "/tmp/tunara-stdout-XXXXXX";
    captureFd_ = ::mkstemp(path);
    ::unlink(path);
    savedStdout_ = ::dup(STDOUT_FILENO);
    ::dup2(captureFd_, STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture()
{
    std::fflush(stdout);
    const QStringList captured = ::testing::Test::HasFailure() ? lines() : QStringList();
    ::dup2(savedStdout_, STDOUT_FILENO);
    // A failing test's messages were written into the capture: show them.
    for (const QString& line : captured)
        std::printf("%s\n", qPrintable(line));
    ::close(savedStdout_);
    ::close(captureFd_);
}

QStringList StdoutCapture::lines() const
{
    std::fflush(stdout);
    QByteArray bytes;
    char buffer[4096];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(captureFd_, buffer, sizeof buffer, offset);
        if (n <= 0)
            break;
        bytes.append(buffer, n);
        offset += n;
    }
    QStringList result = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    if (!result.isEmpty() && result.back().isEmpty())
        result.removeLast();
    return result;
}

} // namespace tunara::testing
