#pragma once

// Connects once more to a server whose stream failed with the HTTP source's
// generic error, sends a plain request and waits for the first bytes of an
// answer. What goes wrong on the way (name resolution, refusal, the TLS
// certificate, silence) tells the real cause of the failure.
//
// Runs on the GLib main context of the main thread (which Qt's main loop
// drives); the completion runs there too. Destroying the probe cancels it
// and its completion never runs.

#include "ErrorMapping.h"

#include <functional>
#include <memory>

namespace tunara::gst {

class ConnectionProbe {
public:
    using Completion = std::function<void(ProbeOutcome)>;

    ConnectionProbe(const QString& url, unsigned timeoutSeconds, Completion completion);
    ~ConnectionProbe();

    ConnectionProbe(const ConnectionProbe&) = delete;
    ConnectionProbe& operator=(const ConnectionProbe&) = delete;

    struct Operation; // the running GIO calls; frees itself when they end

private:
    Operation* operation_; // null once the operation has ended
};

} // namespace tunara::gst
