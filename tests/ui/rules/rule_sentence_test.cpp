#include "ui/UiTestPlatform.h"
#include "ui/rules/RuleSentence.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using Pill = RuleTagPill;

struct SentenceTest : ::testing::Test {
    testing::UiTestPlatform env; // UTC, en_US
    RuleSentenceContext context{testing::kUiStart, true};

    static NimbrelRule ruleWith(std::vector<NimbrelRuleAction> actions, std::int64_t clicks = 1) {
        NimbrelRule r;
        r.name = QStringLiteral("R");
        r.trigger = {clicks, {QStringLiteral("Finder"), QStringLiteral("com.apple.finder"), std::nullopt}};
        r.actions = std::move(actions);
        return r;
    }
    QStringList sentence(const NimbrelRule& rule) const {
        QStringList out;
        for (const Pill& pill : sentencePills(rule))
            out << pill.kindName() + QLatin1Char(':') + pillLabel(pill, context);
        return out;
    }
    static NimbrelRuleAction site(const QString& url, NimbrelBrowserOpeningMode mode,
                                  NimbrelWindowPlacement placement) {
        OpenBrowserWebsiteRuleAction a;
        a.urlString = url;
        a.openingMode = mode;
        a.placement = placement;
        return NimbrelRuleAction::openBrowserWebsite(a);
    }
    static NimbrelRuleAction folder(const QString& name, NimbrelWindowPlacement placement) {
        OpenFolderRuleAction a;
        a.folder = {name, QStringLiteral("~/") + name};
        a.placement = placement;
        return NimbrelRuleAction::openFolder(a);
    }
    static NimbrelRuleAction app(NimbrelWindowPlacement placement) {
        OpenAppRuleAction a;
        a.placement = placement;
        return NimbrelRuleAction::openApp(a);
    }
    static NimbrelRuleAction script(QStringList commands) {
        TerminalScriptRuleAction a;
        for (const QString& c : commands)
            a.commands.push_back({Uuid::random(), c});
        return NimbrelRuleAction::runTerminalScript(a);
    }
};

TEST_F(SentenceTest, ActionsBecomePillsInTheirOrder) {
    using P = NimbrelWindowPlacement;
    using M = NimbrelBrowserOpeningMode;
    ArrangeWindowsRuleAction arrange;
    arrange.layout = NimbrelWindowLayout::dividedInThree;
    const struct {
        std::vector<NimbrelRuleAction> actions;
        QStringList middle; // the pills between app and status
    } cases[] = {
        {{folder("Downloads", P::front)}, {"folder:Downloads"}},
        {{folder("Downloads", P::rightHalf)}, {"folder:Downloads", "placement:Right Half"}},
        {{app(P::front)}, {}},
        {{app(P::leftHalf)}, {"placement:Left Half"}},
        {{site("example.com/path", M::newTab, P::fullScreen)}, {"website:example.com"}},
        {{site("example.com/path", M::newWindow, P::fullScreen)}, {"website:example.com", "placement:Full Screen"}},
        {{site("example.com", M::newWindow, P::front)}, {"website:example.com"}},
        {{NimbrelRuleAction::arrangeWindows(arrange)}, {"arrangement:Divided in 3"}},
        {{NimbrelRuleAction::runSystemBehavior({Uuid::random(), NimbrelSystemBehavior::ignoreApp})},
         {"systemBehavior:Ignore"}},
        {{script({"ls", "  ", ""})}, {"script:1 command"}},
        {{script({" \n", ""})}, {"script:0 commands"}},
        {{script({"a", "b"})}, {"script:2 commands"}},
        {{folder("A", P::topLeft), app(P::bottomRight)}, {"folder:A", "placement:Top Left", "placement:Bottom Right"}},
    };
    for (const auto& c : cases) {
        QStringList expected{"click:", "app:Finder"};
        expected << c.middle << "status:Always active";
        EXPECT_EQ(sentence(ruleWith(c.actions)), expected) << expected.join(' ').toStdString();
    }
}

TEST_F(SentenceTest, EveryPlacementAndBehaviourHasItsWords) {
    const QStringList placements{"Front",    "Full Size", "Full Screen", "Left Half",   "Right Half",
                                 "Top Left", "Top Right", "Bottom Left", "Bottom Right"};
    for (NimbrelWindowPlacement p : allCases<NimbrelWindowPlacement>())
        EXPECT_EQ(pillLabel({Pill::Placement{p}}, context), placements[int(p)]);
    const QStringList behaviours{"Normal Cycle", "Ignore", "Minimize", "Restore", "Hide"};
    for (NimbrelSystemBehavior b : allCases<NimbrelSystemBehavior>())
        EXPECT_EQ(pillLabel({Pill::SystemBehavior{b}}, context), behaviours[int(b)]);
    const QStringList layouts{"Full Size", "Side by Side", "Divided in 3", "Divided in 4"};
    for (NimbrelWindowLayout l : allCases<NimbrelWindowLayout>())
        EXPECT_EQ(arrangementName(l), layouts[int(l)]);
    EXPECT_EQ(placementSymbol(NimbrelWindowPlacement::fullSize), placementSymbol(NimbrelWindowPlacement::fullScreen));
}

TEST_F(SentenceTest, WebsiteDomainIsTheHostWhateverTheScheme) {
    const std::pair<const char*, const char*> cases[] = {
        {"https://www.example.com/a/b", "www.example.com"},
        {"  example.com:8080/x \n", "example.com:8080"},
        {"http://example.com", "example.com"},
        {"HTTPS://Example.com/x", "Example.com"},
        {"Http://host/", "host"},
        {"", "website"},
        {"///", "///"},
        {"https://", "https://"},
    };
    for (const auto& [url, domain] : cases)
        EXPECT_EQ(websiteDomain(QString::fromUtf8(url)), QString::fromUtf8(domain)) << url;
}

TEST_F(SentenceTest, ScheduleWordsNameTheDaysAndTimes) {
    using D = NimbrelWeekday;
    const QString dash = QString(QChar(0x2013));
    const struct {
        NimbrelWeekdaySet days;
        std::optional<NimbrelClockTime> start, end;
        QString text;
    } cases[] = {
        {allWeekdays(), std::nullopt, std::nullopt, "Every day"},
        {workWeekdays(), NimbrelClockTime{9, 0}, NimbrelClockTime{17, 0}, "Weekdays 9:00 AM" + dash + "5:00 PM"},
        {weekendWeekdays(), NimbrelClockTime{22, 0}, NimbrelClockTime{6, 0}, "Weekends 10:00 PM" + dash + "6:00 AM"},
        {{D::friday, D::monday, D::wednesday}, std::nullopt, std::nullopt, "MWF"},
        {{D::tuesday, D::thursday}, NimbrelClockTime{9, 0}, std::nullopt, "TT"},
        {{D::sunday, D::monday}, std::nullopt, std::nullopt, "MS"},
        {{}, std::nullopt, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        NimbrelRuleAvailability a{NimbrelRuleAvailabilityMode::scheduled, c.days, c.start, c.end};
        EXPECT_EQ(scheduleText(a), c.text);
    }
}

TEST_F(SentenceTest, StatusFollowsTheStateOrder) {
    const Date now = context.now;
    const struct {
        bool available, enabled;
        std::optional<Date> pausedUntil;
        NimbrelRuleAvailabilityMode mode;
        QString text;
    } cases[] = {
        {false, false, std::nullopt, NimbrelRuleAvailabilityMode::always, "Unsupported"},
        {true, false, now.addingSeconds(300), NimbrelRuleAvailabilityMode::always, "Disabled"},
        {true, true, now.addingSeconds(300), NimbrelRuleAvailabilityMode::always, "Paused until 12:05 PM"},
        {true, true, Date::distantFuture(), NimbrelRuleAvailabilityMode::always, "Paused"},
        {true, true, now.addingSeconds(-1), NimbrelRuleAvailabilityMode::always, "Always active"},
        {true, true, now.addingSeconds(-1), NimbrelRuleAvailabilityMode::scheduled, "Active"},
        {true, true, std::nullopt, NimbrelRuleAvailabilityMode::scheduled, "Active"},
    };
    for (const auto& c : cases) {
        NimbrelRule r = ruleWith({});
        r.isEnabled = c.enabled;
        r.pausedUntil = c.pausedUntil;
        r.availability.mode = c.mode;
        EXPECT_EQ(statusText(r, {now, c.available}), c.text);
    }
}

TEST_F(SentenceTest, ScheduledRuleGetsAScheduleBeforeItsStatusAndClicksShowTheirCount) {
    NimbrelRule r = ruleWith({}, 3);
    r.availability = {NimbrelRuleAvailabilityMode::scheduled, weekendWeekdays(), std::nullopt, std::nullopt};
    const std::vector<Pill> pills = sentencePills(r);
    ASSERT_EQ(pills.size(), 4u);
    EXPECT_EQ(pills[0].as<Pill::Click>()->count, 3);
    EXPECT_EQ(pills[2].kindName(), "schedule");
    EXPECT_EQ(pillLabel(pills[2], context), "Weekends");
    EXPECT_EQ(pills[3].kindName(), "status");
}

} // namespace
} // namespace nimbrel
