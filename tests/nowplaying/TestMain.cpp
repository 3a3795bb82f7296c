// Each test runs in a process of its own with a private session bus, a
// private cache and data folder, and an offscreen GUI application (the
// artwork needs fonts).

#include <QGuiApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A dbus-daemon child that ends with this object, or with the process if it
// dies first; address() is empty when it could not be started.
class PrivateBus {
public:
    PrivateBus()
    {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            close(pipeFds[0]);
            const std::string printAddress = "--print-address=" + std::to_string(pipeFds[1]);
            execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile", printAddress.c_str(),
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        // The daemon prints its address, then a line feed, once it listens.
        char c = 0;
        while (pid_ > 0 && read(pipeFds[0], &c, 1) == 1 && c != '\n')
            address_.push_back(c);
        close(pipeFds[0]);
    }
    ~PrivateBus()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();

    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");

    PrivateBus bus;
    if (bus.address().empty()) {
        std::fprintf(stderr, "could not start dbus-daemon\n");
        return 1;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString(bus.address()));

    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
