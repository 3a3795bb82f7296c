#include "UnprivilegedFileAccess.h"

#include <QFile>

#include <sys/fsuid.h>
#include <unistd.h>

namespace tunara::testing {

namespace {
constexpr uid_t nobody = 65534;
}

UnprivilegedFileAccess::UnprivilegedFileAccess()
{
    if (::geteuid() == 0) {
        // Changing the file-system user id away from 0 also drops the
        // capabilities that override file permissions.
        ::setfsgid(nobody);
        ::setfsuid(nobody);
        switched_ = true;
    }
}

UnprivilegedFileAccess::~UnprivilegedFileAccess()
{
    if (switched_) {
        ::setfsuid(0);
        ::setfsgid(0);
    }
}

void UnprivilegedFileAccess::openUp(const QString& directory)
{
    QFile::setPermissions(directory, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                         | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                         | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
}

} // namespace tunara::testing
