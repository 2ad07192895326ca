// Signals: connections end with their holder, a slot disconnected while the signal fires is
// not called, and a connection outliving its signal is harmless.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/runtime/signal.h"

namespace {

using runtime::SignalLink;
using runtime::Signal;

TEST(Signal, ConnectionEndsWithItsHolder) {
    Signal<int> changed;
    std::vector<int> seen;
    {
        SignalLink c = changed.connect([&](int v) { seen.push_back(v); });
        changed.fire(1);
        EXPECT_TRUE(c.connected());
    }
    changed.fire(2);
    EXPECT_EQ(seen, std::vector<int>{1});
    EXPECT_TRUE(changed.empty());
}

TEST(Signal, SlotDisconnectedWhileFiringIsNotCalled) {
    Signal<> fired;
    std::vector<int> order;
    SignalLink second;
    SignalLink first = fired.connect([&] {
        order.push_back(1);
        second.disconnect();  // an earlier slot ends a later one
    });
    second = fired.connect([&] { order.push_back(2); });
    SignalLink third = fired.connect([&] { order.push_back(3); });
    fired.fire();
    EXPECT_EQ(order, (std::vector<int>{1, 3}));
}

TEST(Signal, ObserverMayDestroyItselfAndTheSignalMayDieFirst) {
    struct Observer {
        SignalLink link;
    };
    auto signal = std::make_unique<Signal<>>();
    auto observer = std::make_unique<Observer>();
    int calls = 0;
    observer->link = signal->connect([&] {
        ++calls;
        observer.reset();  // destroyed during the call: its connection ends
    });
    signal->fire();
    signal->fire();
    EXPECT_EQ(calls, 1);

    SignalLink outliving = signal->connect([] {});
    signal.reset();
    EXPECT_FALSE(outliving.connected());
    outliving.disconnect();  // nothing left to end; no crash
}

TEST(Signal, MovedConnectionKeepsTheLinkAndReplacingOneEndsTheOld) {
    Signal<> fired;
    int a = 0, b = 0;
    SignalLink c = fired.connect([&] { ++a; });
    SignalLink moved = std::move(c);
    fired.fire();
    moved = fired.connect([&] { ++b; });  // the first link ends here
    fired.fire();
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 1);
}

}  // namespace
