#include "platform/linux/configuration/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "runtime/FileDescriptor.h"

extern char** environ;

namespace lumadesk {

namespace {

// A pipe whose ends close themselves.
struct Pipe {
    FileDescriptor read;
    FileDescriptor write;

    Pipe() {
        int fds[2] = {-1, -1};
        if (::pipe2(fds, O_CLOEXEC) == 0) {
            read = FileDescriptor(fds[0]);
            write = FileDescriptor(fds[1]);
        }
    }
};

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout) {
    ProcessResult result;
    Pipe output, errors;
    if (output.read.get() < 0 || errors.read.get() < 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output.write.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errors.write.get(), STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    output.write = FileDescriptor();
    errors.write = FileDescriptor();
    if (spawned != 0) return result;
    result.started = true;

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::array<pollfd, 2> fds{pollfd{output.read.get(), POLLIN, 0}, pollfd{errors.read.get(), POLLIN, 0}};
    std::array<std::string*, 2> sinks{&result.output, &result.errors};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        if (::poll(fds.data(), fds.size(), static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                fds[i].fd = -1;
            }
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!result.timedOut && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    return result;
}

}  // namespace lumadesk
