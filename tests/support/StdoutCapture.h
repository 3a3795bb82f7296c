#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace tunara::testing {

// Redirects the process's standard output (file descriptor 1) to a
// temporary file for the lifetime of the object, so tests read exactly the
// lines the program wrote.
class StdoutCapture {
public:
    StdoutCapture()
    {
        std::fflush(stdout);
        char path[] = "/tmp/tunara-stdout-XXXXXX";
        captureFd_ = ::mkstemp(path);
        ::unlink(path);
        savedStdout_ = ::dup(STDOUT_FILENO);
        ::dup2(captureFd_, STDOUT_FILENO);
    }
    ~StdoutCapture()
    {
        std::fflush(stdout);
        ::dup2(savedStdout_, STDOUT_FILENO);
        ::close(savedStdout_);
        ::close(captureFd_);
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Everything written so far, split into lines (without line feeds).
    QStringList lines() const
    {
        std::fflush(stdout);
        // Read where the writes do not move on: the descriptor's offset is
        // standard output's.
        QByteArray bytes;
        char buffer[4096];
        for (ssize_t n; (n = ::pread(captureFd_, buffer, sizeof buffer, bytes.size())) > 0;)
            bytes.append(buffer, n);
        QStringList result = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
        if (!result.isEmpty() && result.back().isEmpty())
            result.removeLast();
        return result;
    }

private:
    int savedStdout_ = -1;
    int captureFd_ = -1;
};

} // namespace tunara::testing
