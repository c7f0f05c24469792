// A private X server for tests and benchmarks that need a display: Xvfb on a display number it picks itself, so that
// runs never collide.
#pragma once

#include <sys/types.h>

#include <string>

class XvfbServer {
public:
    // Starts Xvfb with one 1280 x 1024 x 24 screen and points DISPLAY at it; as the user nobody when unprivileged (and
    // we may switch users), like a user's own server that a client running as root talks to.
    explicit XvfbServer(bool unprivileged = false);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    // Empty when the server could not be started.
    const std::string& display() const { return _display; }

private:
    pid_t _pid = -1, _owner = -1;  // the owner's forked children must not stop the server
    std::string _display;
};
