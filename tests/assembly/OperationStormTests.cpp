#include <gtest/gtest.h>

#include "support/OperationStorm.h"

using namespace lumadesk;

// A few hundred random operations on the default desk for each of three seeds, every invariant checked
// after every step; scripts/soak runs the same storm for minutes.
TEST(OperationStorm, EveryInvariantHoldsAfterEveryStepOfARandomStorm) {
    for (const std::uint64_t seed : {1U, 2U, 3U}) {
        SCOPED_TRACE(seed);
        StormDesk desk;
        OperationStorm storm(desk, seed);
        for (int step = 0; step < 300; ++step) {
            const auto broken = storm.step();
            ASSERT_FALSE(broken) << "step " << step << ": " << *broken;
        }
        const auto& figures = storm.figures();
        EXPECT_EQ(figures.checks, 300U);
        for (int operation = 0; operation < OperationStorm::operationCount; ++operation)
            EXPECT_GT(figures.byOperation[operation], 0U) << OperationStorm::operationName(operation);
        EXPECT_GT(figures.reportedFailures, 0U) << "the faults reached the manager";
    }
}

// Two virtual hours of hot-plugging and key presses, a minute apart: nothing the program keeps grows from
// one hour to the next. scripts/soak runs a whole virtual day and samples the heap as well.
TEST(OperationStorm, HotPlugAndKeyTrafficLeaveNothingGrowingHourAfterHour) {
    StormDesk desk;
    std::mt19937_64 random(7);
    std::vector<std::vector<std::size_t>> hourly;
    for (int hour = 0; hour < 3; ++hour) {
        for (int minute = 0; minute < 60; ++minute) desk.spendMinute(random);
        hourly.push_back(desk.containerSizes());
    }
    EXPECT_EQ(hourly[1], hourly[0]);
    EXPECT_EQ(hourly[2], hourly[0]);
    EXPECT_GE(hourly[0][0], 4U) << "every display plugged in at some point is listed";
}
