// An Xvfb of the test's own, for tests that need a real X server and window manager messages.
#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

extern char** environ;

namespace orvanta::test {

inline std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const auto candidate = std::filesystem::path(folder) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

// An Xvfb of our own on a free display, stopped at the end of the test.
class PrivateXServer {
  public:
    PrivateXServer() {
        const std::string xvfb = FindProgram("Xvfb");
        if (xvfb.empty()) return;
        int fds[2];
        if (::pipe(fds) != 0) return;
        // Xvfb writes the display number it chose to the descriptor once it accepts clients.
        const std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb",       "-displayfd", fd.c_str(), "-screen", "0",
                              "640x480x24", "-nolisten",  "tcp",      nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        if (posix_spawn(&pid_, xvfb.c_str(), &actions, nullptr, const_cast<char**>(argv),
                        environ) != 0)
            pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (pid_ && ::poll(&p, 1, 10000) > 0) {
            char c;
            if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
            number += c;
        }
        ::close(fds[0]);
        if (!number.empty()) name_ = ":" + number;
    }
    ~PrivateXServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool missing() const { return FindProgram("Xvfb").empty(); }
    const std::string& name() const { return name_; }

  private:
    pid_t pid_ = 0;
    std::string name_;
};

} // namespace orvanta::test
