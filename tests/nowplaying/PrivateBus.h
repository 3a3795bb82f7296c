#pragma once

#include <string>

#include <sys/types.h>

namespace tunara::testing {

// A dbus-daemon child on a session configuration that ends with this
// object, or with the process if it dies first; address() is empty when it
// could not be started.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

} // namespace tunara::testing
