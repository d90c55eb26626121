#include "model/BlacklistStore.h"
#include "model/StoreFixture.h"
#include "ui/screens/BlacklistViewModel.h"
#include "ui/screens/TestApps.h"

namespace nimbrel {
namespace {

const auto app = testing::installedApp;

class BlacklistEditingTest : public testing::StoreFixture {
  protected:
    BlacklistEditingTest() {
        BlacklistStore::setCachedInstalledApps({app("Chat", "com.example.chat", "/Applications/Chat.app"),
                                                app("Mail", "com.apple.mail", "/System/Applications/Mail.app"),
                                                app("Notes", "com.apple.Notes", "/System/Applications/Notes.app"),
                                                app("Tool", nullptr, "/Applications/Tool.app")});
    }
    void start(QStringList stored = {}) {
        defaults.setStringArray(BlacklistStore::defaultsKey, stored);
        // The cloud holds what this Mac stored, so the store's first pull changes nothing.
        cloud.putBlacklist({stored, scheduler.now(), QStringLiteral("MAC"), 1});
        store = BlacklistStore::create(platform, links());
        model = std::make_unique<BlacklistViewModel>(platform, store);
        scheduler.runUntilIdle();
        activities.clear();
    }
    QStringList stored() const {
        return defaults.stringArrayValue(BlacklistStore::defaultsKey).value_or(QStringList());
    }
    size_t pushes() {
        scheduler.runUntilIdle();
        return size_t(cloud.saves("blacklist_"));
    }

    std::shared_ptr<BlacklistStore> store;
    std::unique_ptr<BlacklistViewModel> model;
};

TEST_F(BlacklistEditingTest, ToggleAddsTheAppKeyAndRemovesEveryFormOfIt) {
    start({"/System/Applications/Notes.app"});
    model->toggleApp("com.apple.mail");
    EXPECT_EQ(stored(), (QStringList{"/System/Applications/Notes.app", "com.apple.mail"}));
    EXPECT_EQ(messageOf("App Blacklisted"), "Mail was added to the blacklist.");
    model->toggleApp("com.apple.Notes"); // stored under its path only
    EXPECT_EQ(stored(), QStringList{"com.apple.mail"});
    EXPECT_EQ(messageOf("App Unblacklisted"), "Notes was removed from the blacklist.");
    EXPECT_EQ(typeOf("App Unblacklisted"), "blacklist");
    EXPECT_EQ(pushes(), 2u);
}

TEST_F(BlacklistEditingTest, AllSwitchCountsOnlyTheAppsItChangesAndSaysSo) {
    const struct {
        QStringList stored;
        const char* query;
        bool on;
        QStringList after;
        const char* title;
        const char* message;
    } cases[] = {
        {{},
         "",
         true,
         {"/Applications/Tool.app", "com.apple.Notes", "com.apple.mail", "com.example.chat"},
         "Apps Blacklisted",
         "4 apps were added to the blacklist."},
        {{"com.apple.mail"}, "mail", true, {"com.apple.mail"}, nullptr, nullptr},
        {{}, "chat", true, {"com.example.chat"}, "Apps Blacklisted", "1 app were added to the blacklist."},
        {{"com.apple.mail", "com.example.chat"},
         "mail",
         false,
         {"com.example.chat"},
         "Apps Unblacklisted",
         "1 app were removed from the blacklist."},
        // Stored only under its path: not counted as changed, but both forms go.
        {{"/System/Applications/Notes.app", "com.example.chat"},
         "notes",
         false,
         {"com.example.chat"},
         nullptr,
         nullptr},
        {{"com.apple.mail"}, "zzzz", true, {"com.apple.mail"}, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        start(c.stored);
        const size_t before = pushes();
        model->setSearchText(c.query);
        model->setAll(c.on);
        EXPECT_EQ(stored(), c.after);
        EXPECT_EQ(pushes(), before + 1) << "every use saves and pushes";
        if (c.title) {
            EXPECT_EQ(messageOf(c.title), c.message);
        } else {
            // The push's own "Blacklist Synced" is the sync manager's; the screen says nothing.
            EXPECT_EQ(int(activities.size()), count(QStringLiteral("Blacklist Synced")));
        }
    }
}

TEST_F(BlacklistEditingTest, RemovingAMissingKeyReportsTheKeyItself) {
    start({"com.openai.chat", "com.apple.mail"});
    ASSERT_EQ(model->listing().missingKeys, QStringList{"com.openai.chat"});
    EXPECT_EQ(model->rows().row(1).value("title").toString(), "Chat"); // under the header
    model->removeMissingKey("com.openai.chat");
    EXPECT_EQ(stored(), QStringList{"com.apple.mail"});
    EXPECT_EQ(messageOf("App Unblacklisted"), "com.openai.chat was removed from the blacklist.");
}

TEST_F(BlacklistEditingTest, WithSyncOffNothingIsPushed) {
    syncEnabled = false;
    start();
    model->toggleApp("com.example.chat");
    EXPECT_EQ(stored(), QStringList{"com.example.chat"});
    EXPECT_EQ(pushes(), 0u);
}

} // namespace
} // namespace nimbrel
