#include <gtest/gtest.h>

#include <memory>
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

// A callback that destroys the signal's owner (a view closing itself) ends that emit safely: nobody
// else is called, and nothing freed is read (the AddressSanitizer leg would see it).
TEST(Signal, ACallbackMayDestroyTheSignalsOwner) {
    struct View {
        Signal<int> closed;
    };
    auto view = std::make_unique<View>();
    std::vector<int> calls;
    auto first = view->closed.subscribe([&](int) {
        calls.push_back(1);
        view.reset();
    });
    auto second = view->closed.subscribe([&](int) { calls.push_back(2); });
    view->closed.emit(0);
    EXPECT_EQ(view, nullptr);
    EXPECT_EQ(calls, std::vector<int>{1});
    first.reset();  // outlives the signal harmlessly
}

// A subscriber that sets the value again: every subscriber hears every value in the order it was set
// and ends on the latest, whatever its place in the list.
TEST(Observable, ValuesSetWhileNotifyingReachEverySubscriberInOrder) {
    Observable<int> value{0};
    std::vector<int> first;
    std::vector<int> second;
    auto clamp = value.subscribe([&](const int& v) {
        first.push_back(v);
        if (v > 10) value.set(10);  // re-entrant: corrects the value it was told of
    });
    auto watch = value.subscribe([&](const int& v) { second.push_back(v); });
    EXPECT_TRUE(value.set(15));
    EXPECT_EQ(value.get(), 10);
    EXPECT_EQ(first, (std::vector<int>{15, 10}));
    EXPECT_EQ(second, (std::vector<int>{15, 10}));

    // A subscriber that destroys the observable ends the delivery.
    auto owned = std::make_unique<Observable<int>>(0);
    std::vector<int> heard;
    auto closer = owned->subscribe([&](const int& v) {
        heard.push_back(v);
        owned.reset();
    });
    auto late = owned->subscribe([&](const int& v) { heard.push_back(-v); });
    owned->set(1);
    EXPECT_EQ(heard, std::vector<int>{1});
}
