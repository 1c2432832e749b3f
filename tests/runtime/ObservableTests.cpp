#include <gtest/gtest.h>

#include <vector>

#include "runtime/Observable.h"

using namespace lumadesk;

TEST(Observable, NotifiesOnlyRealChangesAndComparesListsElementByElement) {
    Observable<std::vector<int>> list;
    int notifications = 0;
    auto subscription = list.subscribe([&](const std::vector<int>&) { ++notifications; });
    EXPECT_TRUE(list.set({1, 2}));
    EXPECT_FALSE(list.set({1, 2}));
    EXPECT_TRUE(list.set({1, 3}));
    EXPECT_EQ(notifications, 2);
    subscription.reset();
    list.set({4});
    EXPECT_EQ(notifications, 2);
    EXPECT_EQ(list.get(), std::vector<int>{4});
}

TEST(Signal, CallbacksMayUnsubscribeOthersWhileBeingCalled) {
    Signal<int> signal;
    std::vector<int> calls;
    Subscription second;
    auto first = signal.subscribe([&](int) {
        calls.push_back(1);
        second.reset();
    });
    second = signal.subscribe([&](int) { calls.push_back(2); });
    signal.emit(0);
    signal.emit(0);
    EXPECT_EQ(calls, (std::vector<int>{1, 1}));
}
