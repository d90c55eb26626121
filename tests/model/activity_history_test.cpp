#include "activity/ActivityHistory.h"
#include "activity/ActivityHistoryText.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace nimbrel;

namespace {

NimbrelActivityEntry entryAt(double seconds) {
    return {Uuid::random(), NimbrelActivityType::info, QStringLiteral("t"), QString::number(seconds), Date{seconds}};
}

ActivityHistory::Entries contents(const ActivityHistory::Snapshot& snapshot) {
    ActivityHistory::Entries out;
    snapshot.forEach([&out](const NimbrelActivityEntry& e) { out.push_back(e); });
    EXPECT_EQ(out.size(), snapshot.size());
    return out;
}

TEST(ActivityHistory, SnapshotsKeepWhatTheyHeldThroughLaterAppendsAndPrunes) {
    ActivityHistory history;
    ActivityHistory::Entries expected;
    std::vector<std::pair<ActivityHistory::Snapshot, ActivityHistory::Entries>> taken;
    // Across several blocks, with snapshots and prunes at unrelated moments; one entry in
    // seven is dated far back, as entries recorded with their own date may be.
    for (int i = 0; i < 1500; ++i) {
        const NimbrelActivityEntry e = entryAt(i % 7 == 3 ? i - 900.0 : double(i));
        history.append(e);
        expected.push_back(e);
        if (i % 97 == 0) taken.emplace_back(history.snapshot(), expected);
        if (i % 211 == 0) {
            const Date cutoff{i - 400.0};
            const bool anyOld =
                std::any_of(expected.begin(), expected.end(), [&](const auto& x) { return x.date < cutoff; });
            std::erase_if(expected, [&](const auto& x) { return x.date < cutoff; });
            EXPECT_EQ(history.eraseBefore(cutoff), anyOld) << i;
        }
        ASSERT_EQ(history.entries(), expected) << i;
    }
    for (const auto& [snapshot, held] : taken)
        EXPECT_EQ(contents(snapshot), held);
    EXPECT_EQ(contents(history.snapshot()), expected);
}

// The open block filled to the last entry and taken by a snapshot: the next entry starts a new
// block, and never moves the entries the snapshot reads.
TEST(ActivityHistory, ASnapshotOfAFullBlockOutlivesTheNextAppend) {
    ActivityHistory history;
    ActivityHistory::Entries expected;
    for (size_t i = 0; i < ActivityHistory::kBlockSize; ++i) {
        expected.push_back(entryAt(double(i)));
        history.append(expected.back());
    }
    const ActivityHistory::Snapshot full = history.snapshot();
    history.append(entryAt(-1));
    EXPECT_EQ(contents(full), expected);
}

TEST(ActivityHistory, TheFilesTextIsWhatTheJsonDocumentWrites) {
    const QString texts[] = {
        "",
        "plain words",
        "quote \" backslash \\ slash /",
        "\b\f\n\r\t",
        QString(QChar(0x01)) + QChar(0x1f) + QChar(0x7f),
        "été, €, ✓, \u2028",
        QString::fromUtf16(u"emoji \U0001F600 pair"),
        QString(QChar(0xD83D)) + "lone high, at the end: " + QChar(0xD83D),
        QString(QChar(0xDE00)) + "lone low",
    };
    ActivityHistory history;
    EXPECT_EQ(encodeHistory(history.snapshot()), json::serialize(QJsonArray{}, true));
    QJsonArray expected;
    for (const QString& text : texts) {
        for (const Date date : {Date{794836800.5}, Date{std::nan("")}, Date::distantFuture()}) {
            const NimbrelActivityEntry e{Uuid::random(), NimbrelActivityType::blacklist, text, "m " + text, date};
            history.append(e);
            expected.append(e.toJson());
        }
        EXPECT_EQ(encodeHistory(history.snapshot()), json::serialize(expected, true)) << text.toStdString();
    }
}

TEST(ActivityHistory, AssignReplacesEverythingAndSnapshotsMatch) {
    ActivityHistory history;
    history.append(entryAt(1));
    const ActivityHistory::Snapshot before = history.snapshot();
    ActivityHistory::Entries loaded;
    for (int i = 0; i < 600; ++i)
        loaded.push_back(entryAt(i));
    history.assign(loaded);
    EXPECT_EQ(history.entries(), loaded);
    EXPECT_EQ(contents(history.snapshot()), loaded);
    EXPECT_EQ(contents(before).size(), 1u);
    EXPECT_FALSE(history.eraseBefore(Date{0}));
    EXPECT_TRUE(history.eraseBefore(Date{600}));
    EXPECT_TRUE(history.entries().empty());
    EXPECT_EQ(history.snapshot().size(), 0u);
}

} // namespace

namespace {

TEST(ActivityHistory, RepeatsAndIdsAreFoundAndForgottenWithTheirEntries) {
    ActivityHistory history;
    const NimbrelActivityEntry first{Uuid::random(), NimbrelActivityType::rule, "Rule Matched", "Mail", Date{1000}};
    history.append(first);
    history.append({Uuid::random(), NimbrelActivityType::rule, "Rule Matched", "Notes", Date{5000}});
    const struct {
        NimbrelActivityType type;
        const char* message;
        double date;
        bool repeat;
    } cases[] = {
        {NimbrelActivityType::rule, "Mail", 1300, true},          {NimbrelActivityType::rule, "Mail", 700, true},
        {NimbrelActivityType::rule, "Mail", 1300.001, false},     {NimbrelActivityType::rule, "Mail", 699.999, false},
        {NimbrelActivityType::rule, "Notes", 1300, false},        {NimbrelActivityType::error, "Mail", 1000, false},
        {NimbrelActivityType::rule, "Mail", std::nan(""), false}, {NimbrelActivityType::rule, "Notes", 4800, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(history.hasRepeatOf({Uuid::random(), c.type, "Rule Matched", c.message, Date{c.date}}, 300), c.repeat)
            << c.message << " " << c.date;
    EXPECT_TRUE(history.containsId(first.id));
    history.eraseBefore(Date{2000});
    EXPECT_FALSE(history.containsId(first.id));
    EXPECT_FALSE(
        history.hasRepeatOf({Uuid::random(), NimbrelActivityType::rule, "Rule Matched", "Mail", Date{1000}}, 300));
    EXPECT_TRUE(
        history.hasRepeatOf({Uuid::random(), NimbrelActivityType::rule, "Rule Matched", "Notes", Date{5000}}, 0));
}

} // namespace
