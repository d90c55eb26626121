#include "platform/NotificationCenter.h"
#include "platform/Published.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <vector>

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

// An observer that changes a published value, by assigning a new one or changing it where it
// is, leaves every observer the value of the change it is told of: the one that changed it still
// reads the value it was handed, the ones after it are told of the new value and then of the
// one before, and the value it set stands.
TEST(Published, AnObserverChangingTheValueLeavesTheOthersTheValueOfTheirChange) {
    using List = std::vector<int>;
    enum class How { inPlace, assigned };
    const auto change = [](Published<List>& list, How how, const List& to) {
        if (how == How::assigned)
            list.set(to);
        else
            list.modify([&](List& value) { value = to; });
    };
    const struct {
        const char* name;
        How how;
        List after; // set by the first observer when told of {1, 2}
    } cases[] = {{"changed where it is", How::inPlace, {1, 2, 3}}, {"assigned", How::assigned, {1}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Published<List> list(List{1});
        std::vector<List> changerSaw;
        std::vector<List> laterSaw;
        ObserverToken changer = list.observe([&](const List& v) {
            if (v == List{1, 2}) change(list, c.how, c.after);
            changerSaw.push_back(v); // after its own change: still the value it was handed
        });
        ObserverToken later = list.observe([&](const List& v) { laterSaw.push_back(v); });
        change(list, c.how, {1, 2});
        EXPECT_EQ(changerSaw, (std::vector<List>{c.after, {1, 2}}));
        EXPECT_EQ(laterSaw, (std::vector<List>{c.after, {1, 2}}));
        EXPECT_EQ(list.get(), c.after);
    }
}
