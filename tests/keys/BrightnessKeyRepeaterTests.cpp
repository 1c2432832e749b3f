#include <gtest/gtest.h>

#include "keys/BrightnessKeyRepeater.h"
#include "runtime/ManualMainQueue.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

using Source = BrightnessKeySource;

// A repeater with a 500 ms delay and a 100 ms interval; every step is logged with its virtual time.
struct Repeating {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    MonotonicInstant start = clock.monotonicNow();
    std::vector<std::pair<int, long long>> steps;  // delta, milliseconds since start
    BrightnessKeyRepeater repeater{
        queue, 500ms, 100ms, [this](int delta) {
            const auto at = clock.monotonicNow() - start;
            steps.emplace_back(delta, std::chrono::duration_cast<std::chrono::milliseconds>(at).count());
        }};

    void advance(Duration duration) { queue.advanceBy(duration); }
};

using Steps = std::vector<std::pair<int, long long>>;

}  // namespace

TEST(BrightnessKeyRepeater, StepsAtOnceThenAfterTheDelayThenEveryIntervalUntilReleased) {
    Repeating r;
    r.repeater.press(6, Source::hidIncrease);
    r.advance(750ms);
    r.repeater.release(Source::hidIncrease);
    r.advance(2s);
    EXPECT_EQ(r.steps, (Steps{{6, 0}, {6, 500}, {6, 600}, {6, 700}}));
    EXPECT_EQ(r.repeater.activeDelta(), std::nullopt);
    EXPECT_TRUE(r.repeater.activeSources().empty());
}

TEST(BrightnessKeyRepeater, StepsKeepTheirDueTimesWhenStepsAreSlowAndSkipAheadAfterAStall) {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    const auto start = clock.monotonicNow();
    std::vector<long long> steps;
    Duration work = 30ms;  // each step's own work, in virtual time
    BrightnessKeyRepeater repeater(queue, 500ms, 100ms, [&](int) {
        steps.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(clock.monotonicNow() - start).count());
        clock.advance(work);
        if (steps.size() == 3) work = 30ms;
        if (steps.size() == 2) work = 470ms;  // the third step stalls (a suspend, a swapped-out process)
    });
    repeater.press(6, Source::hidIncrease);
    queue.advanceBy(1300ms);
    repeater.release(Source::hidIncrease);
    queue.advanceBy(1s);
    // 0, then delay + k x interval despite 30 ms of work per step; after the stall the next step is one
    // interval on, with no burst of the steps missed.
    EXPECT_EQ(steps, (std::vector<long long>{0, 500, 600, 1170, 1270}));
}

TEST(BrightnessKeyRepeater, TheIntervalNeverFallsBelowATenthOfASecond) {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    int steps = 0;
    BrightnessKeyRepeater repeater(queue, 250ms, 30ms, [&](int) { ++steps; });
    EXPECT_EQ(repeater.repeatInterval(), 100ms);
    EXPECT_EQ(repeater.initialDelay(), 250ms);
    repeater.press(-6, Source::customDecrease);
    queue.advanceBy(1s);  // 0, 250, 350, ..., 950
    EXPECT_EQ(steps, 9);
    repeater.stop();
}

TEST(BrightnessKeyRepeater, PathsOfOneKeyAreOneHeldKeyAndTheDirectionSwitchesCleanly) {
    Repeating r;
    // The same path twice, then a second path of the same key: one step only.
    r.repeater.press(6, Source::eventTapSystemIncrease);
    r.repeater.press(6, Source::eventTapSystemIncrease);
    r.repeater.press(6, Source::hidIncrease);
    r.repeater.release(Source::eventTapSystemIncrease);  // HID still holds it
    r.advance(550ms);
    EXPECT_EQ(r.steps, (Steps{{6, 0}, {6, 500}}));
    // The other direction takes over at once; releasing it resumes the first with an immediate step.
    r.repeater.press(-6, Source::hidDecrease);
    r.advance(100ms);
    r.repeater.release(Source::hidDecrease);
    r.repeater.release(Source::customIncrease);  // never pressed: nothing
    r.advance(50ms);
    r.repeater.release(Source::hidIncrease);
    r.advance(2s);
    EXPECT_EQ(r.steps, (Steps{{6, 0}, {6, 500}, {-6, 550}, {6, 650}}));
}

TEST(BrightnessKeyRepeater, StopEndsAPendingSleepAndLeavesTheHeldPathsListed) {
    Repeating r;
    r.repeater.press(6, Source::hidIncrease);
    r.advance(200ms);
    r.repeater.stop();
    r.advance(2s);
    EXPECT_EQ(r.steps, (Steps{{6, 0}}));
    // The path is still listed, so its next key-down is taken for a repeat and ignored...
    r.repeater.press(6, Source::hidIncrease);
    EXPECT_EQ(r.steps.size(), 1U);
    // ...which is why the owner empties the list before stopping.
    r.repeater.activeSources().clear();
    r.repeater.press(6, Source::hidIncrease);
    EXPECT_EQ(r.steps.size(), 2U);
    r.repeater.stop();
}

TEST(BrightnessKeyRepeater, ARepeaterDestroyedWhileRepeatingStepsNoMore) {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    int steps = 0;
    auto repeater = std::make_unique<BrightnessKeyRepeater>(queue, 500ms, 100ms, [&](int) { ++steps; });
    repeater->press(6, Source::hidIncrease);
    repeater.reset();
    queue.advanceBy(2s);
    EXPECT_EQ(steps, 1);
}
