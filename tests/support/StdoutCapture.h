#pragma once

#include <QString>
#include <QStringList>

namespace tunara::testing {

// Redirects the process's standard output (file descriptor 1) to a
// temporary file for the lifetime of the object, so tests read exactly the
// lines the program wrote.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Everything written so far, split into lines (without line feeds).
    QStringList lines() const;

private:
    int savedStdout_ = -1;
    int captureFd_ = -1;
};

} // namespace tunara::testing
