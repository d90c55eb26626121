#include "activity/ActivityStore.h"
#include "model/StoreFixture.h"
#include "ui/screens/ActivityViewModel.h"

namespace nimbrel {
namespace {

class ActivityViewModelTest : public testing::StoreFixture {
  protected:
    ActivityViewModelTest() {
        store = NimbrelActivityStore::make(platform);
        ActivityViewModel::Hooks hooks;
        hooks.copyToPasteboard = [this](const QString& text) { copied << text; };
        model = std::make_unique<ActivityViewModel>(platform, *store, hooks);
    }
    std::shared_ptr<NimbrelActivityStore> store;
    std::unique_ptr<ActivityViewModel> model;
    QStringList copied;
};

TEST_F(ActivityViewModelTest, AnEmptyLogGetsThreeSamplesOnTodayAndTheEntranceRunsNextTurn) {
    model->appeared();
    EXPECT_FALSE(model->hasAnimatedIn());
    scheduler.advance(0);
    EXPECT_TRUE(model->hasAnimatedIn());
    EXPECT_EQ(model->entryCount(), 3);
    // Recorded in one moment: the last one recorded is the newest.
    const auto& shown = model->dayModel().selectedEntries;
    EXPECT_EQ((QStringList{shown[0].title, shown[1].title, shown[2].title}),
              (QStringList{"App Blacklisted", "Rule Triggered", "Session Started"}));
    const QVariantList days = model->days();
    ASSERT_EQ(days.size(), 30);
    EXPECT_EQ(days.last().toMap().value("badge"), "3");
    EXPECT_TRUE(days.last().toMap().value("isSelected").toBool());
    EXPECT_EQ(model->sectionTitle(), "Today");
    model->copyEntry(0);
    ASSERT_EQ(copied.size(), 1);
    EXPECT_TRUE(copied[0].contains('\n'));
    EXPECT_TRUE(activities.empty()) << "copying records nothing";
}

TEST_F(ActivityViewModelTest, ChoosingADayAndComingBackToToday) {
    store->add({Uuid::random(), NimbrelActivityType::error, "Old", "", scheduler.now().addingSeconds(-2 * 86400)});
    model->selectDay(27);
    EXPECT_FALSE(model->selectedIsToday());
    EXPECT_EQ(model->entryCount(), 1);
    EXPECT_EQ(model->dayModel().days[27].count, 1);
    model->selectToday();
    EXPECT_TRUE(model->selectedIsToday());
    EXPECT_EQ(model->entryCount(), 0);
}

// After the zone changes the strip and the list are worked out anew and still agree.
TEST_F(ActivityViewModelTest, AZoneChangeKeepsTheSelectedCellAndItsListTogether) {
    setCurrentTimeZone(QTimeZone("Asia/Tokyo"));
    store->add({Uuid::random(), NimbrelActivityType::info, "Noon UTC", "", scheduler.now()});
    store->add({Uuid::random(), NimbrelActivityType::info, "Early UTC", "", scheduler.now().addingSeconds(-10 * 3600)});
    model->appeared();
    EXPECT_EQ(model->entryCount(), 2);
    setCurrentTimeZone(QTimeZone("America/New_York")); // the early entry was the evening before there
    model->refresh();
    ASSERT_EQ(model->selectedIndex(), 29);
    EXPECT_EQ(model->entryCount(), 1);
    EXPECT_EQ(model->dayModel().days[29].count, 1);
    EXPECT_EQ(model->dayModel().days[28].count, 1);
    setCurrentTimeZone(QTimeZone("UTC"));
}

} // namespace
} // namespace nimbrel
