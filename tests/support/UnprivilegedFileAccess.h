#pragma once

// File permissions as an ordinary user meets them. Tests run as root in CI,
// and root reads and writes any file whatever its mode; while an object of
// this type lives, the calling thread's file accesses are checked as the
// unprivileged user "nobody" (its file-system user id), so a file of mode
// 0200 cannot be read and a directory of mode 0555 cannot be written. For a
// test run by an ordinary user it changes nothing.

#include <QString>

namespace tunara::testing {

class UnprivilegedFileAccess {
public:
    UnprivilegedFileAccess();
    ~UnprivilegedFileAccess();
    UnprivilegedFileAccess(const UnprivilegedFileAccess&) = delete;
    UnprivilegedFileAccess& operator=(const UnprivilegedFileAccess&) = delete;

    // Lets the unprivileged user into a directory the test made (mode 0777).
    static void openUp(const QString& directory);

private:
    bool switched_ = false;
};

} // namespace tunara::testing
