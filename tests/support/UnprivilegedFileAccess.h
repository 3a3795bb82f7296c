#pragma once

// File permissions as an ordinary user meets them. Tests run as root in CI,
// and root reads and writes any file whatever its mode; while an object of
// this type lives, the calling thread's file accesses are checked as the
// unprivileged user "nobody" (its file-system user id), so a file of mode
// 0200 cannot be read and a directory of mode 0555 cannot be written. For a
// test run by an ordinary user it changes nothing.

#include <QFile>
#include <QString>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunara::testing {

class UnprivilegedFileAccess {
public:
    // Changing the file-system user id away from 0 also drops the
    // capabilities that override file permissions.
    UnprivilegedFileAccess()
    {
        if (switched_) {
            ::setfsgid(nobody);
            ::setfsuid(nobody);
        }
    }
    ~UnprivilegedFileAccess()
    {
        if (switched_) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }
    UnprivilegedFileAccess(const UnprivilegedFileAccess&) = delete;
    UnprivilegedFileAccess& operator=(const UnprivilegedFileAccess&) = delete;

    // Lets the unprivileged user into a directory the test made (mode 0777).
    static void openUp(const QString& directory) { ::chmod(QFile::encodeName(directory).constData(), 0777); }

private:
    static constexpr uid_t nobody = 65534;
    const bool switched_ = ::geteuid() == 0;
};

} // namespace tunara::testing
