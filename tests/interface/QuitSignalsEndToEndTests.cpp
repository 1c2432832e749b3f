#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "assembly/ProgramFailures.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;
using namespace std::chrono_literals;

extern char** environ;

namespace {

// The built programs, run as a user would run them, each in its own process.
class Programs {
public:
    Programs() {
        const auto replaced = [](const std::string& entry) {
            return entry.starts_with("LUMADESK_CONFIG_DIR=") || entry.starts_with("XDG_CONFIG_HOME=") ||
                   entry.starts_with("QT_QPA_PLATFORM=");
        };
        for (char** variable = environ; *variable; ++variable) {
            if (!replaced(*variable)) m_environment.emplace_back(*variable);
        }
        m_environment.push_back("LUMADESK_CONFIG_DIR=" + (m_home.path() / "lumadesk").string());
        m_environment.push_back("XDG_CONFIG_HOME=" + m_home.path().string());
        m_environment.push_back("QT_QPA_PLATFORM=offscreen");
    }

    // Starts the program; its standard output goes to a file of its own.
    pid_t start(const std::string& program, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), program);
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& entry : m_environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile().c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (failed) throw std::runtime_error("cannot start " + program);
        return pid;
    }

    // Waits (a long while at most: a hang fails instead of blocking the suite) for the exit status.
    static std::optional<int> exitStatus(pid_t pid) {
        for (int i = 0; i < 30'000; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                if (WIFEXITED(status)) return WEXITSTATUS(status);
                return 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(1ms);
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return std::nullopt;
    }

    // Whether the process blocks the signal yet, so that sending it tests the program and not the race
    // with its start (an unblocked SIGTERM ends any process on the spot).
    static bool blocks(pid_t pid, int signal) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("SigBlk:"))
                return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
        }
        return false;
    }

    std::string run(const std::string& program, std::vector<std::string> arguments, int expectedStatus) {
        EXPECT_EQ(exitStatus(start(program, std::move(arguments))), expectedStatus);
        std::ostringstream out;
        out << std::ifstream(outputFile()).rdbuf();
        return out.str();
    }

    const std::filesystem::path& home() const { return m_home.path(); }

private:
    std::filesystem::path outputFile() const { return m_home.path() / "stdout.txt"; }

    TemporaryDirectory m_home;
    std::vector<std::string> m_environment;
};

constexpr const char* eastlakeConnected = R"("hardwareID": "5156-12850-12345",
    "modelName": "Eastlake 32U",
    "customName": null,
    "brightness": 70,
    "isConnected": true)";

}  // namespace

// The whole quit path, end to end: a display held off the desktop, the tray program started on the
// simulated desk and sent a quit signal; it puts the display back, saves the desk and exits 0.
// On the way: the command line writes no login item, the tray program writes its autostart entry.
TEST(QuitSignalsEndToEnd, EachQuitSignalPutsDisplaysBackAndSavesTheDesk) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        Programs programs;
        const auto autostartEntry = programs.home() / "autostart" / "lumadesk.desktop";
        EXPECT_EQ(programs.run(LUMADESK_CTL_PROGRAM, {"--simulated", "disconnect", "5156-12850-12345"}, exitDone),
                  "Disconnected Eastlake 32U.\n");
        EXPECT_FALSE(std::filesystem::exists(autostartEntry)) << "lumadesk-ctl registered a login item";

        const pid_t tray = programs.start(LUMADESK_TRAY_PROGRAM, {"--simulated"});
        for (int i = 0; i < 30'000 && !Programs::blocks(tray, signal); ++i) std::this_thread::sleep_for(1ms);
        ASSERT_TRUE(Programs::blocks(tray, signal));
        kill(tray, signal);
        EXPECT_EQ(Programs::exitStatus(tray), exitDone);

        const auto list = programs.run(LUMADESK_CTL_PROGRAM, {"--simulated", "list", "--json"}, exitDone);
        EXPECT_NE(list.find(eastlakeConnected), std::string::npos) << list;
        EXPECT_TRUE(std::filesystem::exists(autostartEntry)) << "the tray program did not register at start";
    }
}
