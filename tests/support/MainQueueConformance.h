#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "runtime/MainQueue.h"
#include "runtime/VirtualClock.h"

namespace lumadesk {

// What every main queue keeps, checked the same way against each (the manual queue of the tests, the
// blocking one of the command line, Qt's of the tray): one lane of jobs ordered by deadline, first in
// first out on equal deadlines, whether posted now or for later, and a cancelled job is gone at once.
// The queue must run on `clock`, which stands still while the jobs are posted.
inline void expectMainQueueConformance(MainQueue& queue, VirtualClock& clock) {
    using namespace std::chrono_literals;
    const auto pumpUntilIdle = [&queue] {
        while (queue.pumpOnce()) {
        }
    };
    EXPECT_FALSE(queue.pumpOnce()) << "an idle queue says so instead of waiting";

    std::vector<std::string> order;
    const auto log = [&order](std::string name) { return [&order, name] { order.push_back(name); }; };
    queue.post(log("now-1"));
    queue.postAfter(20ms, log("20ms-1"));
    queue.postAfter(10ms, log("10ms"));
    queue.post(log("now-2"));
    queue.postAfter(-5ms, log("overdue"));  // a delay in the past counts as none
    queue.postAfter(20ms, log("20ms-2"));
    queue.postAfter(5ms, log("cancelled")).cancel();
    queue.postAfter(0ms, [&] {
        order.push_back("now-3");
        // Posted by a job once the clock has moved: due after everything due earlier.
        queue.post(log("posted-while-running"));
    });
    clock.advance(30ms);
    pumpUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{"now-1", "now-2", "overdue", "now-3", "10ms", "20ms-1",
                                               "20ms-2", "posted-while-running"}));

    // A cancelled timer is not waited for: pumping ends at once instead of when it would have been due.
    order.clear();
    queue.postAfter(24h, log("never")).cancel();
    EXPECT_FALSE(queue.pumpOnce());
    EXPECT_TRUE(order.empty());
}

}  // namespace lumadesk
