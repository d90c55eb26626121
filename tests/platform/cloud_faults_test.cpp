#include "platform/VirtualScheduler.h"
#include "platform/local/SqliteCloudService.h"
#include "support/QtPrinters.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace nimbrel;

namespace {

using Op = CloudFailure::Operation;

const QString kContainer = QStringLiteral("iCloud.com.nimbrel.app");

// A cloud holding a rule and a tombstone, with every answer collected by name.
class CloudFaultsTest : public ::testing::Test {
  protected:
    CloudFaultsTest() {
        put(QStringLiteral("rule_1"), QStringLiteral("NimbrelRule"));
        put(QStringLiteral("deleted_rule_2"), QStringLiteral("NimbrelTombstone"));
        service.setTrace([this](const QString& line) { trace << line; });
    }

    void put(const QString& name, const QString& type) {
        CloudRecord r(type, {name});
        r.set(QStringLiteral("n"), qint64(1));
        ASSERT_TRUE(service.writeDirectly(kContainer, r, false).ok());
    }
    // "ok" or the error's code, for each call in turn.
    QString fetch(const QString& name) {
        return answer([&](auto done) { db.fetchRecord({name}, done); });
    }
    // A save of the stored copy, which goes through unless a failure stops it.
    QString save(const QString& name, const QString& type) {
        CloudRecord r(type, {name});
        r.set(QStringLiteral("n"), qint64(2));
        if (auto stored = service.readDirectly(kContainer, {name}); stored.ok())
            r.setRecordChangeTag(stored.value().recordChangeTag());
        return answer([&](auto done) { db.saveRecord(r, done); });
    }
    CloudResult<CloudBatchResult> batch(const std::vector<CloudRecordID>& ids) {
        std::optional<CloudResult<CloudBatchResult>> out;
        db.fetchRecords(ids, [&](CloudResult<CloudBatchResult> r) { out = std::move(r); });
        scheduler.advance(0);
        return *out;
    }
    template <typename Call> QString answer(Call call) {
        std::optional<CloudResult<CloudRecord>> out;
        call([&](CloudResult<CloudRecord> r) { out = std::move(r); });
        scheduler.advance(0);
        last = *out;
        return out->ok() ? QStringLiteral("ok") : QString::number(out->error().code);
    }

    QTemporaryDir dir;
    VirtualScheduler scheduler;
    SqliteCloudService service{scheduler, dir.path() + QStringLiteral("/cloud.sqlite")};
    CloudDatabase& db = service.container(kContainer)->privateCloudDatabase();
    std::optional<CloudResult<CloudRecord>> last;
    QStringList trace;
};

TEST_F(CloudFaultsTest, FailuresMatchTheirCallNameTypeAndCount) {
    struct Case {
        const char* what;
        CloudFailure failure;
        // fetch rule_1, fetch deleted_rule_2, save rule_1, fetch rule_1 again
        QStringList expected;
    };
    auto failure = [](Op op, QString name, QString type, int times, int skip = 0) {
        CloudFailure f{op, std::move(name), CloudError::make(CloudError::networkFailure, {})};
        f.recordType = std::move(type);
        f.times = times;
        f.skip = skip;
        return f;
    };
    const std::vector<Case> cases{
        {"a fetch by type: the type the server holds",
         failure(Op::fetch, {}, "NimbrelTombstone", 1),
         {"ok", "4", "ok", "ok"}},
        {"a name prefix", failure(Op::any, "deleted_*", {}, 1), {"ok", "4", "ok", "ok"}},
        {"a save by its own type, only saves", failure(Op::save, {}, "NimbrelRule", 1), {"ok", "ok", "4", "ok"}},
        {"every fetch until cleared", failure(Op::anyFetch, {}, {}, 0), {"4", "4", "ok", "4"}},
        {"twice after one let through", failure(Op::any, "rule_1", {}, 2, 1), {"ok", "ok", "4", "4"}},
    };
    for (const Case& c : cases) {
        service.clearFailures();
        service.failNext(c.failure);
        const QStringList got{fetch("rule_1"), fetch("deleted_rule_2"), save("rule_1", "NimbrelRule"), fetch("rule_1")};
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST_F(CloudFaultsTest, AConflictWritesTheServersCopyFirstAndCarriesIt) {
    CloudFailure f{Op::save, QStringLiteral("rule_1"), CloudError::make(CloudError::serverRecordChanged, {}), true};
    f.serverFields = std::map<QString, CloudValue>{{QStringLiteral("by"), QStringLiteral("other Mac")}};
    service.failNext(f);
    EXPECT_EQ(save("rule_1", "NimbrelRule"), "14");
    ASSERT_TRUE(last->error().serverRecord);
    EXPECT_EQ(last->error().serverRecord->text(QStringLiteral("by")), QStringLiteral("other Mac"));
    EXPECT_FALSE(last->error().serverRecord->integer(QStringLiteral("n"))) << "the copy is the one written";
    const CloudResult<CloudRecord> stored = service.readDirectly(kContainer, {QStringLiteral("rule_1")});
    EXPECT_EQ(stored.value().recordChangeTag(), last->error().serverRecord->recordChangeTag());
    EXPECT_EQ(stored.value().recordType(), QStringLiteral("NimbrelRule"));
}

TEST_F(CloudFaultsTest, PartialFailuresNameTheirItems) {
    CloudError item = CloudError::make(CloudError::serverRejectedRequest, {});
    item.itemID = {QStringLiteral("deleted_*")};
    CloudFailure f{Op::batchFetch, {}, CloudError::make(CloudError::partialFailure, {})};
    f.items = {item};
    service.failNext(f);
    // A batch answers the others as stored and the named ones with their error.
    const auto answer = batch({{QStringLiteral("rule_1")}, {QStringLiteral("deleted_rule_2")}});
    ASSERT_TRUE(answer.ok());
    EXPECT_TRUE(answer.value()[0].second.ok());
    EXPECT_TRUE(answer.value()[1].second.error().hasCode(CloudError::serverRejectedRequest));
    EXPECT_EQ(answer.value()[1].first.recordName, QStringLiteral("deleted_rule_2"));

    // A single call fails as a whole with the item named after the record it matched.
    f.operation = Op::save;
    f.items[0].itemID = {QStringLiteral("rule_*")};
    f.items[0].code = CloudError::serverRecordChanged;
    f.withServerRecord = true;
    service.failNext(f);
    EXPECT_EQ(save("rule_1", "NimbrelRule"), "2");
    ASSERT_EQ(last->error().partialErrorsByItemID.size(), 1u);
    const CloudError& named = last->error().partialErrorsByItemID[0];
    EXPECT_EQ(named.itemID.recordName, QStringLiteral("rule_1"));
    ASSERT_TRUE(named.serverRecord);
    EXPECT_EQ(named.serverRecord->integer(QStringLiteral("n")), 1);
}

TEST_F(CloudFaultsTest, TheTraceShowsEachCallAndItsAnswer) {
    service.conditions().offline = true;
    fetch("rule_1");
    service.conditions().offline = false;
    service.readDirectly(kContainer, {QStringLiteral("rule_1")});
    db.saveRecord(CloudRecord(QStringLiteral("NimbrelRule"), {QStringLiteral("rule_1")}), [](auto) {});
    scheduler.advance(0);
    batch({{QStringLiteral("rule_1")}, {QStringLiteral("gone")}});
    EXPECT_EQ(trace, (QStringList{
                         "fetch rule_1",
                         "fetch rule_1 -> error 3: The network connection appears to be offline.",
                         "save rule_1 (NimbrelRule, new)",
                         "save rule_1 -> error 14: The record was changed on the server. (server copy tag 1)",
                         "batch fetch rule_1, gone",
                         "batch fetch -> rule_1: NimbrelRule tag 1, gone: error 11: Record not found.",
                     }));
}

} // namespace
