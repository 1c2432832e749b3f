#include "app/TrayQuit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/ManualMainQueue.h"
#include "runtime/Sleep.h"
#include "runtime/Spawn.h"
#include "runtime/VirtualClock.h"

namespace lumadesk {
namespace {

using std::chrono::milliseconds;

constexpr Duration quitLimit = std::chrono::seconds(2);

// A program on a virtual clock: a bus call in flight, maybe work that never ends, and a record of
// every step of the quit with the time it came at.
class QuittingProgram {
public:
    QuittingProgram()
        : m_quit(m_clock, quitLimit,
                 {.stopTakingCalls = [this] { note("calls refused"); },
                  .limitDisplayConfiguration =
                      [this](const Deadline& deadline) { m_restoreDeadline = deadline; },
                  // The queue as the tray drains it: jobs run at their deadlines until none is left or
                  // the time given is over.
                  .drainQueue =
                      [this](Duration limit) {
                          const auto end = m_clock.monotonicNow() + limit;
                          m_queue.runUntilIdle();
                          while (m_queue.pendingJobCount() > 0 && m_clock.monotonicNow() < end)
                              m_queue.advanceBy(
                                  std::min<Duration>(milliseconds(10), end - m_clock.monotonicNow()));
                          return m_queue.pendingJobCount() == 0;
                      },
                  .save = [this] { note("saved level " + std::to_string(m_level)); },
                  .releaseName = [this] { note("name released"); }}) {}

    // A call taken before the quit: it sets the level after `takes` and answers with it.
    void takeCall(int level, Duration takes) {
        spawn(m_queue, setLevel(this, level, takes));
        m_queue.runUntilIdle();
    }
    // A transaction that never comes back: it keeps posting itself.
    void startEndlessWork() {
        m_queue.post([this] { keepWorking(); });
    }

    // The quit as the tray runs it; the restore of the displays takes `restoreTakes`, or gives up at the
    // deadline it was given.
    bool quit(Duration restoreTakes) {
        m_start = m_clock.monotonicNow();
        m_quit.begin();
        m_clock.advance(std::min(restoreTakes, m_restoreDeadline.limit(restoreTakes)));
        note("displays restored");
        return m_quit.finish();
    }
    Duration elapsed() const { return m_clock.monotonicNow() - m_start; }
    const std::vector<std::string>& steps() const { return m_steps; }

private:
    static Task<void> setLevel(QuittingProgram* program, int level, Duration takes) {
        co_await sleepFor(takes);
        program->m_level = level;
        program->note("answered level " + std::to_string(level));
    }
    void keepWorking() {
        m_queue.postAfter(milliseconds(50), [this] { keepWorking(); });
    }
    void note(const std::string& step) {
        const auto at = std::chrono::duration_cast<milliseconds>(m_clock.monotonicNow() - m_start).count();
        m_steps.push_back(std::to_string(at) + " ms: " + step);
    }

    VirtualClock m_clock;
    ManualMainQueue m_queue{m_clock};
    TrayQuit m_quit;
    Deadline m_restoreDeadline;
    MonotonicInstant m_start{};
    int m_level = 10;
    std::vector<std::string> m_steps;
};

// Calls are refused first; the calls taken are answered with their real result before the state is
// saved, and the name goes last; the restore and the drain share one 2 s limit, so a restore that used
// most of it followed by work that never ends still quits at 2 s.
TEST(TrayQuitTest, AnswersTakenCallsSavesThenReleasesTheNameWithinOneLimit) {
    struct Case {
        const char* what;
        Duration restoreTakes;
        bool endlessWork;
        bool drained;
        std::vector<std::string> steps;
    };
    const Case cases[] = {
        {"a quick restore, a call to finish",
         milliseconds(100),
         false,
         true,
         {"0 ms: calls refused", "100 ms: displays restored", "300 ms: answered level 40",
          "300 ms: saved level 40", "300 ms: name released"}},
        {"a restore using most of the limit, then endless work",
         milliseconds(1900),
         true,
         false,
         {"0 ms: calls refused", "1900 ms: displays restored", "1900 ms: answered level 40",
          "2000 ms: saved level 40", "2000 ms: name released"}},
        {"a restore that does not answer, then endless work",
         std::chrono::seconds(30),
         true,
         false,
         {"0 ms: calls refused", "2000 ms: displays restored", "2000 ms: answered level 40",
          "2000 ms: saved level 40", "2000 ms: name released"}},
    };
    for (const Case& c : cases) {
        QuittingProgram program;
        program.takeCall(40, milliseconds(300));
        if (c.endlessWork) program.startEndlessWork();
        EXPECT_EQ(program.quit(c.restoreTakes), c.drained) << c.what;
        EXPECT_EQ(program.steps(), c.steps) << c.what;
        EXPECT_LE(program.elapsed(), quitLimit) << c.what;
    }
}

}  // namespace
}  // namespace lumadesk
