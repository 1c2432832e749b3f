#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace lumadesk {

// A private Xvfb for one test. The server picks a free display number itself and reports it through
// -displayfd once it accepts connections, so suites running side by side (or another X server on the
// machine) never collide on a number. Stopped when destroyed.
class PrivateXvfb {
public:
    explicit PrivateXvfb(std::vector<std::string> extraArguments = {}) {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
        std::vector<std::string> arguments{"Xvfb", "-displayfd", "3", "-nolisten", "tcp"};
        arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);

        // The read ends with the number, or with end-of-file when the server could not start.
        char buffer[16] = {};
        std::string number;
        ssize_t got = 0;
        while (m_pid > 0 && (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) number.append(buffer, got);
        ::close(pipeFds[0]);
        if (!number.empty() && number.back() == '\n') m_display = ":" + number.substr(0, number.size() - 1);
    }
    ~PrivateXvfb() { kill(SIGTERM); }
    PrivateXvfb(const PrivateXvfb&) = delete;
    PrivateXvfb& operator=(const PrivateXvfb&) = delete;

    // The display name; empty when Xvfb could not be started.
    const std::string& display() const { return m_display; }

    // Ends the server now (SIGKILL: as if it crashed) and waits for it.
    void kill(int signal = SIGKILL) {
        if (m_pid <= 0) return;
        ::kill(m_pid, signal);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

}  // namespace lumadesk
