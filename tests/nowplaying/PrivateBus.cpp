#include "PrivateBus.h"

#include <csignal>
#include <cstdio>
#include <string>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tunara::testing {

PrivateBus::PrivateBus()
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        // The daemon must not outlive a test that crashes.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(pipeFds[0]);
        const std::string printAddress = "--print-address=" + std::to_string(pipeFds[1]);
        execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile", printAddress.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    if (pid_ < 0) {
        close(pipeFds[0]);
        return;
    }
    // The daemon prints its address, then a line feed, once it listens.
    std::string line;
    char c = 0;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n')
        line.push_back(c);
    close(pipeFds[0]);
    address_ = QString::fromStdString(line);
}

PrivateBus::~PrivateBus()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

} // namespace tunara::testing
