#include "runtime/QuitSignals.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "runtime/BlockingMainQueue.h"
#include "runtime/SystemClock.h"

namespace lumadesk {
namespace {

// In a child process of its own (the block and the signal must not reach the test's other threads):
// the name the program shows for the signal once it has reached the main queue, or what went wrong.
std::string nameShownFor(int signal) {
    int channel[2];
    if (::pipe(channel) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        QuitSignals::block();
        SystemClock clock;
        BlockingMainQueue queue(clock);
        std::string shown = "no signal arrived";
        const QuitSignals signals(queue, [&shown](int number) { shown = QuitSignals::nameOf(number); });
        // Bounds the wait should the signal never be posted.
        queue.postAfter(std::chrono::seconds(20), [] {});
        ::kill(::getpid(), signal);
        queue.pumpOnce();
        const bool written =
            ::write(channel[1], shown.data(), shown.size()) == static_cast<ssize_t>(shown.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(channel[1]);
    std::string shown;
    char buffer[64];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status)) return "the child ended by signal " + std::to_string(WTERMSIG(status));
    return shown;
}

// Each quit signal arrives as a job on the main queue, under the name the command line reports it by
// ("Stopped by SIGINT before the command finished").
TEST(QuitSignalsTest, EachSignalReachesTheQueueUnderItsOwnName) {
    const std::pair<int, const char*> cases[] = {
        {SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}};
    for (const auto& [signal, name] : cases) EXPECT_EQ(nameShownFor(signal), name);
    EXPECT_EQ(QuitSignals::nameOf(SIGUSR1), "signal " + std::to_string(SIGUSR1));
}

}  // namespace
}  // namespace lumadesk
