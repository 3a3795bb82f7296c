#include "PrivateBus.h"

#include <csignal>

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

PrivateBus::~PrivateBus()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

} // namespace tunara::testing
