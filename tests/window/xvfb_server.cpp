#include "xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

XvfbServer::XvfbServer(bool unprivileged) : _owner(getpid()) {
    int fds[2];
    if (pipe(fds) != 0) return;
    _pid = fork();
    if (_pid == 0) {
        // The server goes with the test however the test ends, even killed at its timeout; the check covers a test that
        // died before the signal was armed.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != _owner) _exit(127);
        close(fds[0]);
        if (int devnull = open("/dev/null", O_WRONLY); devnull >= 0) dup2(devnull, STDERR_FILENO);
        unsetenv("LD_PRELOAD");  // preloads meant for the tests, such as a sanitizer runtime
        std::string fd = std::to_string(fds[1]);
        if (unprivileged && geteuid() == 0)
            execlp("setpriv", "setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", "Xvfb",
                   "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
                   (char*)nullptr);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
               (char*)nullptr);
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number it took once it accepts connections.
    std::string number;
    pollfd p = {fds[0], POLLIN, 0};
    for (char c; _pid > 0 && poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n';) number += c;
    close(fds[0]);
    if (!number.empty()) setenv("DISPLAY", (_display = ":" + number).c_str(), 1);
}

XvfbServer::~XvfbServer() {
    if (_pid <= 0 || getpid() != _owner) return;
    kill(_pid, SIGTERM), waitpid(_pid, nullptr, 0);
}
