#include "SessionAppSamples.h"
#include "SessionsScreenFixture.h"

#include "support/QtPrinters.h"

namespace nimbrel {
namespace {

class SessionEditorFixture : public testing::SessionsScreenFixture {
  protected:
    SessionEditorViewModel& open(std::optional<NimbrelSession> edited = std::nullopt) {
        if (edited) store->addSession(*edited);
        screen = makeScreen();
        if (edited)
            screen->editSession(edited->id.toString());
        else
            screen->createSession();
        return *screen->editorModel();
    }
    const SessionEditorState& state() { return screen->editorModel()->state(); }
    std::vector<QString> beeps() {
        std::vector<QString> alerts = env.mac().recorder().texts(sim::EventKind::alert);
        std::erase_if(alerts, [](const QString& text) { return text != "beep"; });
        return alerts;
    }
    QStringList rowNames(QObject* model) {
        QStringList names;
        for (const QVariantMap& row : qobject_cast<KeyedListModel*>(model)->rows())
            names << row.value("name").toString();
        return names;
    }

    std::unique_ptr<SessionsViewModel> screen;
};

TEST_F(SessionEditorFixture, TypedTimesStoreEachKeystrokeAndFollowThePeriod) {
    setCurrentLocaleName("de_DE");
    SessionEditorViewModel& editor = open();
    auto* start = editor.schedule()->start();
    EXPECT_EQ(start->text(), "9:00");
    EXPECT_EQ(editor.schedule()->timeWindowTitle(), "Time window · 24-hour");
    const std::pair<const char*, NimbrelSessionClockTime> keystrokes[] = {
        {"1", {1, 0}},       {"14", {14, 0}},    {"14:", {14, 0}}, {"14:1", {14, 1}},
        {"14:15", {14, 15}}, {"14:1x", {14, 0}}, {"", {14, 0}}};
    for (const auto& [text, stored] : keystrokes) {
        start->setText(text);
        EXPECT_EQ((NimbrelSessionClockTime{state().startHour, state().startMinute}), stored) << text;
    }
    setCurrentLocaleName("en_US");
    auto* end = editor.schedule()->end();
    end->setText("3:00");
    EXPECT_EQ(state().endHour, 15) << "the end picker opened on 17:00, in the afternoon";
    end->choosePeriod(false);
    EXPECT_EQ(state().endHour, 3);
    EXPECT_EQ(end->text(), "3:00");
}

TEST_F(SessionEditorFixture, WeekdaysToggleAndGateTheSave) {
    NimbrelSession weekend = session("Weekend");
    weekend.scheduleWeekdays = {NimbrelSessionWeekday::saturday};
    SessionEditorViewModel& editor = open(weekend);
    EXPECT_EQ(editor.schedule()->weekdays().last().toMap().value("isOn"), true);
    editor.schedule()->toggleWeekday(6);
    EXPECT_FALSE(editor.canSave());
    editor.save();
    EXPECT_TRUE(screen->isEditorOpen()) << "nothing is saved without a weekday";
    editor.schedule()->toggleWeekday(0);
    EXPECT_EQ(state().selectedWeekdays, NimbrelSessionWeekdays{NimbrelSessionWeekday::sunday});
}

TEST_F(SessionEditorFixture, FinderCannotLeaveTheDock) {
    SessionEditorViewModel& editor = open();
    auto* dock = editor.dockApps();
    EXPECT_EQ(rowNames(dock->orderRows()), QStringList({"Finder", "Launchpad"}));
    dock->unselectDockApp(kFinderIdentityKey);
    dock->togglePickerApp(kFinderIdentityKey);
    EXPECT_EQ(beeps().size(), 2u);
    EXPECT_EQ(rowNames(dock->orderRows()), QStringList({"Finder", "Launchpad"}));

    env.scheduler.runUntilIdle(); // the catalogue's scan arrives: the picker fills
    EXPECT_TRUE(rowNames(dock->pickerRows()).contains("Safari"));
    dock->togglePickerApp("bundle:com.apple.safari");
    dock->togglePickerApp("bundle:com.apple.mail");
    dock->moveDockApp("bundle:com.apple.mail", -1);
    EXPECT_EQ(rowNames(dock->orderRows()), QStringList({"Finder", "Launchpad", "Mail", "Safari"}));
    EXPECT_EQ(qobject_cast<Motion*>(screen->editorModel()->motion())->current(), (SpringParameters{0.18, 0.79}));
    dock->unselectDockApp("bundle:com.apple.launchpad.launcher");
    EXPECT_EQ(dock->countText(), "3 selected");
}

TEST_F(SessionEditorFixture, ChosenPicturesGoToTheRowsTarget) {
    SessionEditorViewModel& editor = open();
    auto* wallpaper = editor.wallpaper();
    env.simulated.alerts().answerNextOpenPanel(std::nullopt);
    wallpaper->chooseWallpaper(0);
    EXPECT_TRUE(state().wallpaperSelections.empty()) << "cancelled";
    env.simulated.alerts().answerNextOpenPanel(QStringList{"/Users/me/Pictures/Sea.png"});
    wallpaper->chooseWallpaper(0);
    EXPECT_EQ(wallpaper->rows().first().toMap().value("subtitle").toString(), "Sea.png");
    EXPECT_EQ(env.simulated.alerts().panelsShown().back().allowedContentTypes, QStringList{"public.image"});
    EXPECT_FALSE(env.simulated.alerts().panelsShown().back().allowsMultipleSelection);
    wallpaper->setSync(false);
    EXPECT_EQ(wallpaper->rows().size(), qsizetype(env.platform.screens->screens().size()));
    editor.save();
    EXPECT_TRUE(store->sessions().get().front().wallpaperSelections.empty());
}

TEST_F(SessionEditorFixture, SymbolLibraryMarksAppliesOrLeavesTheChoice) {
    NimbrelSession focus = session("Focus");
    focus.menuBarSymbolName = "sparkles";
    SessionEditorViewModel& editor = open(focus);
    auto* symbols = editor.symbols();
    symbols->setSearchText("moon");
    symbols->openLibrary();
    EXPECT_TRUE(editor.isShowingSymbolLibrary());
    EXPECT_EQ(symbols->searchText(), "");
    EXPECT_EQ(symbols->pendingSymbolName(), "sparkles");
    symbols->togglePendingSymbol("timer");
    symbols->closeLibrary();
    EXPECT_EQ(state().menuBarSymbolName, "sparkles") << "the back button keeps the earlier choice";
    symbols->openLibrary();
    symbols->togglePendingSymbol("timer");
    symbols->applyLibrarySymbol(symbols->pendingSymbolName());
    EXPECT_FALSE(editor.isShowingSymbolLibrary());
    EXPECT_EQ(symbols->preview().value("name").toString(), "timer");
    symbols->selectQuickSymbol("timer");
    EXPECT_EQ(symbols->preview().value("isAsset").toBool(), true) << "back to the program's own icon";
}

TEST_F(SessionEditorFixture, WhitelistLibraryStartsWithAnEmptySearch) {
    SessionEditorViewModel& editor = open();
    env.scheduler.runUntilIdle();
    auto* blocking = editor.blocking();
    blocking->setWhitelistAll(false);
    blocking->openLibrary();
    blocking->setSearchText(" mail ");
    blocking->setAllCandidates(true);
    EXPECT_EQ(blocking->countText(), "1 allowed");
    blocking->closeLibrary();
    blocking->openLibrary();
    EXPECT_EQ(blocking->searchText(), "");
    EXPECT_EQ(rowNames(blocking->libraryRows()).first(), "Mail") << "whitelisted apps come first";
    blocking->toggleWhitelisted("bundle:com.apple.mail");
    EXPECT_EQ(blocking->countText(), "0 allowed");
    blocking->selectReminderLead(4);
    EXPECT_EQ(blocking->remindSubtitle(), "Notifies 10 minutes before this session starts");
}

TEST_F(SessionEditorFixture, AChosenReminderLeadTimeIsSaved) {
    NimbrelSession stored = session("Focus");
    stored.remindBeforeSessionSeconds = 120;
    struct Case {
        std::optional<NimbrelSession> edited; // none: a new session
        int choice;                           // the row of the lead-time menu
        std::int64_t savedSeconds;
    };
    for (const Case& c : {Case{stored, 4, 600}, Case{std::nullopt, 0, 30}}) {
        for (const NimbrelSession& s : store->sessions().get())
            store->deleteSession(s.id);
        SessionEditorViewModel& editor = open(c.edited);
        editor.blocking()->selectReminderLead(c.choice);
        editor.save();
        ASSERT_EQ(store->sessions().get().size(), 1u);
        EXPECT_EQ(store->sessions().get()[0].remindBeforeSessionSeconds, c.savedSeconds);
    }
}

// Two installed apps may share a session app key (identifiers that differ only in case); each
// keeps a row of its own, and a click on either row whitelists the app.
TEST_F(SessionEditorFixture, WhitelistRowsSharingAKeyEachToggleTheirApp) {
    env.mac().installApplication("/Applications/Tool.app", "com.example.Tool", "Tool");
    env.mac().installApplication("/Applications/Tool Two.app", "com.example.tool", "Tool Two");
    SessionEditorViewModel& editor = open();
    env.scheduler.runUntilIdle();
    auto* blocking = editor.blocking();
    blocking->setSearchText("tool");
    for (const char* name : {"Tool Two", "Tool"}) {
        for (const QVariantMap& row : blocking->libraryRows()->rows())
            if (row.value("name") == name) blocking->toggleWhitelisted(row.value("key").toString());
        EXPECT_EQ(testing::appNames(state().whitelistedApps), QStringList(name)) << "clicked " << name;
        blocking->setAllCandidates(false);
    }
}

} // namespace
} // namespace nimbrel
