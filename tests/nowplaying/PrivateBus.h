#pragma once

#include <QString>

#include <sys/types.h>

namespace tunara::testing {

// A private D-Bus session bus for one test process: a dbus-daemon child
// that ends with this object, or with the process if it dies first.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when the daemon could not be started.
    const QString& address() const { return address_; }

private:
    pid_t pid_ = -1;
    QString address_;
};

} // namespace tunara::testing
