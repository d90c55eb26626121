#include "platform/NotificationCenter.h"
#include "platform/Published.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;

TEST(NotificationCenter, DeliversByNameInOrderWithUserInfo) {
    NotificationCenter center;
    QStringList calls;
    ObserverToken a = center.addObserver(
        "Nimbrel.showRules", [&](const Notification& n) { calls << "a:" + n.userInfo.value("tab").toString(); });
    ObserverToken b = center.addObserver("Nimbrel.showRules", [&](const Notification& n) { calls << "b:" + n.name; });
    ObserverToken other = center.addObserver("nimbrelRecordActivity", [&](const Notification&) { calls << "other"; });
    center.post("Nimbrel.showRules", {{"tab", "rules"}});
    EXPECT_EQ(calls, (QStringList{"a:rules", "b:Nimbrel.showRules"}));
    center.post("unobserved");
    EXPECT_EQ(calls.size(), 2);
}

TEST(NotificationCenter, TokensRemoveTheirObserver) {
    NotificationCenter center;
    int count = 0;
    {
        ObserverToken t = center.addObserver("n", [&](const Notification&) { ++count; });
        center.post("n");
        ObserverToken moved = std::move(t);
        EXPECT_FALSE(t.isActive());
        EXPECT_TRUE(moved.isActive());
        center.post("n");
    }
    center.post("n");
    EXPECT_EQ(count, 2);
}

TEST(NotificationCenter, ObserversMayChangeObserversWhileCalled) {
    NotificationCenter center;
    QStringList calls;
    ObserverToken second;
    ObserverToken added;
    ObserverToken first = center.addObserver("n", [&](const Notification&) {
        calls << "first";
        second.reset(); // removed during delivery: not called afterwards
        if (!added.isActive()) added = center.addObserver("n", [&](const Notification&) { calls << "added"; });
    });
    second = center.addObserver("n", [&](const Notification&) { calls << "second"; });
    center.post("n");
    EXPECT_EQ(calls, QStringList{"first"}); // one added during delivery waits for the next post
    calls.clear();
    center.post("n");
    EXPECT_EQ(calls, (QStringList{"first", "added"}));
}

TEST(NotificationCenter, TokenOutlivingTheCenterIsHarmless) {
    ObserverToken token;
    {
        NotificationCenter center;
        token = center.addObserver("n", [](const Notification&) {});
    }
    token.reset(); // must not touch the destroyed centre
    EXPECT_FALSE(token.isActive());
}

TEST(NotificationCenter, RecordsWhatWasPostedWhenAsked) {
    NotificationCenter center;
    center.post("before");
    center.setRecording(true);
    center.post("nimbrelRecordActivity", {{"title", "Rule Ran"}});
    ASSERT_EQ(center.posted().size(), 1u);
    EXPECT_EQ(center.posted()[0].name, "nimbrelRecordActivity");
    EXPECT_EQ(center.posted()[0].userInfo.value("title").toString(), "Rule Ran");
}

// An observer that changes a published value leaves the observers after it the value of the
// change they are told of, and the value it set stands.
TEST(Published, AnObserverChangingTheValueLeavesTheOthersTheValueOfTheirChange) {
    Published<std::vector<int>> list(std::vector<int>{1});
    std::vector<std::vector<int>> seen;
    ObserverToken first = list.observe([&](const std::vector<int>& v) {
        if (v.size() == 2) list.modify([](std::vector<int>& l) { l.push_back(3); });
    });
    ObserverToken second = list.observe([&](const std::vector<int>& v) { seen.push_back(v); });
    list.modify([](std::vector<int>& l) { l.push_back(2); });
    EXPECT_EQ(seen, (std::vector<std::vector<int>>{{1, 2, 3}, {1, 2}}));
    EXPECT_EQ(list.get(), (std::vector<int>{1, 2, 3}));
}
