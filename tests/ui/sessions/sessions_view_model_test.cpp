#include "SessionsScreenFixture.h"

#include "support/QtPrinters.h"

namespace nimbrel {
namespace {

using testing::SessionsScreenFixture;

QStringList cardNames(const SessionsViewModel& screen) {
    QStringList names;
    for (const NimbrelSession& s : screen.sortedSessions())
        names << s.name;
    return names;
}

TEST_F(SessionsScreenFixture, CardsListPinnedFirstThenByNameKeepingTies) {
    auto screen = makeScreen();
    EXPECT_TRUE(screen->isEmpty());
    screen->createSession();
    EXPECT_EQ(screen->editorDefaultName(), "Session 1");
    for (const NimbrelSession& s : {session("beta", true), session("Alpha"), session("alpha"), session("Gamma", true)})
        store->addSession(s);
    EXPECT_EQ(cardNames(*screen), QStringList({"beta", "Gamma", "Alpha", "alpha"}));
    EXPECT_EQ(qobject_cast<KeyedListModel*>(screen->cardsModel())->count(), 4);
}

TEST_F(SessionsScreenFixture, NewSessionsAreNamedByCountAndEditsByTheirName) {
    for (const char* name : {"One", "Two", "Session 4"})
        store->addSession(session(name));
    auto screen = makeScreen();
    screen->createSession();
    EXPECT_EQ(screen->editorDefaultName(), "Session 4");
    EXPECT_EQ(screen->editorModel()->saveTitle(), "Create Session");
    const QString firstId = screen->editorSessionId();
    screen->closeEditor();
    EXPECT_FALSE(screen->isEditorOpen());
    screen->editSession(screen->sortedSessions()[1].id.toString());
    EXPECT_EQ(screen->editorDefaultName(), "Session 4");
    EXPECT_EQ(screen->editorModel()->subtitle(), "Edit this scheduled Dock session.");
    EXPECT_NE(screen->editorSessionId(), firstId) << "every opening is a fresh editor";
}

TEST_F(SessionsScreenFixture, SaveAddsOrUpdatesThenCloses) {
    auto screen = makeScreen();
    screen->createSession();
    screen->editorModel()->setName("  Focus  ");
    screen->editorModel()->save();
    EXPECT_FALSE(screen->isEditorOpen());
    EXPECT_EQ(storedNames(), QStringList{"Focus"});

    const NimbrelSession stored = store->sessions().get().front();
    screen->editSession(stored.id.toString());
    screen->editorModel()->setName("Focus Time");
    screen->editorModel()->save();
    ASSERT_EQ(store->sessions().get().size(), 1u);
    EXPECT_EQ(store->sessions().get().front().id, stored.id);
    EXPECT_EQ(storedNames(), QStringList{"Focus Time"});

    // A session deleted while its editor was open comes back under the same id.
    screen->editSession(stored.id.toString());
    store->deleteSession(stored.id);
    screen->editorModel()->save();
    ASSERT_EQ(store->sessions().get().size(), 1u);
    EXPECT_EQ(store->sessions().get().front().id, stored.id);
}

TEST_F(SessionsScreenFixture, CardButtonsToggleAndDeleteThroughTheStore) {
    NimbrelSession focus = session("Focus");
    focus.scheduleWeekdays = {};
    store->addSession(focus);
    auto screen = makeScreen();
    const QString id = screen->sortedSessions().front().id.toString();
    const auto card = [&] { return qobject_cast<KeyedListModel*>(screen->cardsModel())->rows().front(); };
    EXPECT_EQ(card().value("statusText").toString(), "Scheduled");
    screen->toggleSessionEnabled(id);
    EXPECT_EQ(card().value("statusText").toString(), "Disabled");
    EXPECT_EQ(card().value("powerSymbol").toString(), "power.circle.fill");
    screen->toggleSessionPinned(id);
    EXPECT_EQ(card().value("pinSymbol").toString(), "pin.fill");
    EXPECT_TRUE(store->sessions().get().front().isPinned);
    screen->deleteSession(id);
    EXPECT_TRUE(store->sessions().get().empty());
    EXPECT_TRUE(screen->isEmpty());
    EXPECT_EQ(screen->motion()->current(), (SpringParameters{0.2, 1.0}));
}

TEST_F(SessionsScreenFixture, ActiveBadgeFollowsTheStoresActiveSession) {
    NimbrelSession daytime = session("Daytime"); // noon in UTC, nine in the evening in Tokyo
    daytime.scheduleWeekdays = allSessionWeekdays();
    daytime.scheduleStartTime = {9, 0};
    daytime.scheduleEndTime = {17, 0};
    NimbrelSession never = session("Never");
    never.scheduleWeekdays = {};
    store->addSession(never);
    auto screen = makeScreen();
    const auto statuses = [&] {
        QStringList out;
        for (const QVariantMap& row : qobject_cast<KeyedListModel*>(screen->cardsModel())->rows())
            out << row.value("statusText").toString();
        return out;
    };
    EXPECT_EQ(statuses(), QStringList{"Scheduled"});
    store->addSession(daytime);
    EXPECT_EQ(statuses(), QStringList({"Active", "Scheduled"}));
    // The open screen follows a change of zone at the store's next tick.
    setCurrentTimeZone(QTimeZone("Asia/Tokyo"));
    env.scheduler.advance(NimbrelSessionsStore::kActivationInterval);
    EXPECT_EQ(statuses(), QStringList({"Scheduled", "Scheduled"}));
    setCurrentTimeZone(QTimeZone("UTC"));
    env.scheduler.advance(NimbrelSessionsStore::kActivationInterval);
    EXPECT_EQ(statuses(), QStringList({"Active", "Scheduled"}));
    env.defaults.set("Nimbrel.globalPauseActive", true);
    env.notifications.post("Nimbrel.pauseStateDidChange");
    env.scheduler.runUntilIdle();
    EXPECT_EQ(statuses(), QStringList({"Scheduled", "Scheduled"}));
}

TEST_F(SessionsScreenFixture, EntranceStartsOneTurnAfterAppearing) {
    auto screen = makeScreen();
    screen->appeared();
    EXPECT_FALSE(screen->hasAnimatedIn());
    env.scheduler.runUntilIdle();
    EXPECT_TRUE(screen->hasAnimatedIn());
}

// An edit makes anew only the card of the session it changed; showing the screen makes them all.
TEST_F(SessionsScreenFixture, AnEditRemakesOnlyItsOwnCardAndShowingTheScreenRemakesThemAll) {
    NimbrelSession a = session("A"), b = session("B");
    const NimbrelSessionApp tool{Uuid::random(), "Tool", QStringLiteral("com.example.tool"), std::nullopt};
    a.allowedApps = b.allowedApps = {tool};
    store->addSession(a);
    store->addSession(b);
    auto screen = makeScreen();
    const auto missing = [&] {
        QStringList names;
        for (const QVariantMap& row : qobject_cast<KeyedListModel*>(screen->cardsModel())->rows())
            if (row.value("hasMissingApps").toBool()) names << row.value("name").toString();
        return names;
    };
    EXPECT_EQ(missing(), QStringList({"A", "B"}));

    ASSERT_TRUE(env.mac().installApplication(QStringLiteral("/Applications/Tool.app"),
                                             QStringLiteral("com.example.tool"), QStringLiteral("Tool")));
    a.isPinned = true;
    store->updateSession(a);
    EXPECT_EQ(missing(), QStringList({"B"}));
    screen->appeared();
    EXPECT_EQ(missing(), QStringList());

    // A clock written otherwise now is written so on every card at the next change.
    setCurrentLocaleName("de_DE");
    a.isPinned = false;
    store->updateSession(a);
    for (const QVariantMap& row : qobject_cast<KeyedListModel*>(screen->cardsModel())->rows())
        EXPECT_TRUE(row.value("scheduleSummary").toString().endsWith("09:00 \u2013 17:00"))
            << row.value("name").toString().toStdString();
}

} // namespace
} // namespace nimbrel
