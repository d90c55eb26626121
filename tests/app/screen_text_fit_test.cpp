// Every screen, editor section, sheet and menu laid out with long sample data: no text that may
// not be cut is elided or runs past its surface, no address field is cut mid-letter, and no two
// visible texts overlap where nothing opaque lies between them.
#include "app/PanelRootViewModel.h"
#include "app/ScreenModels.h"
#include "app/ScreenPreview.h"
#include "desktop/PreviewMac.h"
#include "model/RuleActions.h"
#include "model/RulesStore.h"
#include "sessions/SessionsStore.h"
#include "ui/AnimationClock.h"
#include "ui/QuickDriver.h"
#include "ui/rules/RuleEditorViewModel.h"
#include "ui/rules/RulesPreview.h"
#include "ui/screens/ActivityViewModel.h"
#include "ui/sessions/SessionBlockingSection.h"
#include "ui/sessions/SessionEditorViewModel.h"
#include "ui/sessions/SessionSymbolSection.h"
#include "ui/sessions/SessionsViewModel.h"

#include <QAbstractAnimation>
#include <QQuickItem>
#include <QTest>

#include <algorithm>
#include <functional>

namespace nimbrel {
namespace {

// Values the screens may cut with an ellipsis: names and addresses the user chose. Any other
// text shown elided is a fault.
const QStringList kMayElide = {
    "Morning Reading List for Every Weekday Before the Standup",
    "https://www.a-rather-long-example-domain.com/articles/today?from=nimbrel",
    "Client Work Archive With a Long Folder Name",
    "Quarterly Planning With the Whole Product Team",
    "cd ~/Projects/site && git pull --rebase origin main",
    "Rule Without an App", // a card's name gives way to its buttons
    "External Monitor 1",  // a menu's value gives way to the row's title
    "System Settings",     // an app's name under its icon in a Dock strip

};

bool isA(const QObject* object, const char* qmlType) {
    for (const QMetaObject* m = object->metaObject(); m; m = m->superClass())
        if (QByteArray(m->className()).startsWith(qmlType)) return true;
    return false;
}

double effectiveOpacity(const QQuickItem* item) {
    double opacity = 1;
    for (; item; item = item->parentItem())
        opacity *= item->opacity();
    return opacity;
}

// Paints in the order the scene graph does: children below zero, the item, then the others.
void paintOrder(QQuickItem* item, std::vector<QQuickItem*>& out) {
    if (!item->isVisible()) return;
    QList<QQuickItem*> children = item->childItems();
    std::stable_sort(children.begin(), children.end(), [](auto* a, auto* b) { return a->z() < b->z(); });
    for (QQuickItem* child : children)
        if (child->z() < 0) paintOrder(child, out);
    out.push_back(item);
    for (QQuickItem* child : children)
        if (child->z() >= 0) paintOrder(child, out);
}

QRectF sceneRect(const QQuickItem* item) {
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

// What the user sees of the window: faults in the texts, as readable lines.
class TextFit {
  public:
    explicit TextFit(QQuickWindow& window) {
        paintOrder(window.contentItem(), items_);
        window_ = QRectF(QPointF(0, 0), window.size());
    }

    QStringList faults() {
        QStringList found;
        std::vector<std::pair<size_t, QRectF>> shown;
        for (size_t i = 0; i < items_.size(); ++i) {
            QQuickItem* item = items_[i];
            if (effectiveOpacity(item) < 0.05) continue;
            const bool input = item->inherits("QQuickTextInput");
            if (!item->inherits("QQuickText") && !input) continue;
            const QString text = item->property("text").toString();
            if (text.trimmed().isEmpty()) continue;
            const QRectF painted = item->mapRectToScene(item->boundingRect());
            const auto [view, scrolled] = visibleArea(item);
            const QRectF seen = painted & view;
            if (seen.width() < 1 || seen.height() < 1) continue;
            if (input) {
                if (item->property("contentWidth").toDouble() > item->width() + 1 && !item->hasActiveFocus())
                    found << "cut mid-letter: " + text;
                continue;
            }
            if (item->property("truncated").toBool() && !kMayElide.contains(text)) found << "elided: " + text;
            if (!scrolled && !view.adjusted(-1, -1, 1, 1).contains(painted)) found << "cut off: " + text;
            if (const QQuickItem* surface = surfaceOf(item)) {
                // Clear of the rounded ends: at mid-height a corner of radius r takes 0.29 r.
                const QVariant radius = surface->property(isA(surface, "HoverScale") ? "cornerRadius" : "radius");
                const double r = std::min(radius.toDouble(), surface->height() / 2);
                if (!sceneRect(surface).adjusted(0.29 * r - 1, -1, 1 - 0.29 * r, 1).contains(seen))
                    found << "runs past its surface: " + text;
            }
            if (controlOver(i, seen)) found << "under a control: " + text;
            for (const auto& [other, otherSeen] : shown) {
                const QRectF both = seen & otherSeen;
                if (both.width() > 2 && both.height() > 2 && !coveredAfter(other, both))
                    found << "overlaps: " + text + " | " + items_[other]->property("text").toString();
            }
            shown.emplace_back(i, seen);
        }
        return found;
    }

  private:
    // The part of the window the item may show in, and whether a scroll view cuts it there.
    std::pair<QRectF, bool> visibleArea(const QQuickItem* item) const {
        QRectF area = window_;
        bool scrolled = false;
        for (const QQuickItem* up = item->parentItem(); up; up = up->parentItem()) {
            if (!up->clip()) continue;
            area &= sceneRect(up);
            scrolled = scrolled || up->inherits("QQuickFlickable") || up->inherits("nimbrel::WheelMappedScrollArea");
        }
        return {area, scrolled};
    }
    // The card, row, pill, badge or button a text stands on: a filled shape, or a surface with
    // the hover effect (as every card, row and button has).
    static const QQuickItem* surfaceOf(const QQuickItem* item) {
        for (const QQuickItem* up = item->parentItem(); up; up = up->parentItem())
            if (isA(up, "HoverScale") ||
                (up->inherits("QQuickRectangle") && up->property("color").value<QColor>().alpha() > 0))
                return up;
        return nullptr;
    }
    // A card, row or button painted over the text at `index`, other than one it stands on.
    const QQuickItem* controlOver(size_t index, const QRectF& area) const {
        for (size_t i = index + 1; i < items_.size(); ++i) {
            const QQuickItem* item = items_[i];
            if (!isA(item, "HoverScale") || item->isAncestorOf(items_[index]) || effectiveOpacity(item) < 0.05)
                continue;
            const QRectF both = sceneRect(item) & area;
            if (both.width() > 2 && both.height() > 2) return item;
        }
        return nullptr;
    }
    // Whether fills painted after the item at `index` hide it within `area`.
    bool coveredAfter(size_t index, const QRectF& area) const {
        double through = 1;
        for (size_t i = index + 1; i < items_.size(); ++i) {
            const QQuickItem* item = items_[i];
            if (!item->inherits("QQuickRectangle") || !sceneRect(item).contains(area)) continue;
            through *= 1 - item->property("color").value<QColor>().alphaF() * effectiveOpacity(item);
        }
        return through < 0.02;
    }

    std::vector<QQuickItem*> items_;
    QRectF window_;
};

NimbrelRuleAppTarget app(const char* name, const char* bundleId) {
    return {QString::fromLatin1(name), QString::fromLatin1(bundleId), std::nullopt};
}

OpenBrowserWebsiteRuleAction website(const QString& url, NimbrelBrowserOpeningMode mode) {
    OpenBrowserWebsiteRuleAction action;
    action.browser = app("Safari", "com.apple.Safari");
    action.urlString = url;
    action.openingMode = mode;
    action.placement = NimbrelWindowPlacement::bottomLeft;
    action.displayTarget = NimbrelDisplayTarget{NimbrelDisplayTarget::Kind::external, 0};
    return action;
}

OpenFolderRuleAction folder(const QString& name, const QString& path, NimbrelWindowPlacement placement) {
    OpenFolderRuleAction action;
    action.folder = {name, path};
    action.placement = placement;
    action.displayTarget = NimbrelDisplayTarget{NimbrelDisplayTarget::Kind::external, 0};
    return action;
}

// The long sample rules: a browser rule with a long name and address, a Finder rule with a
// custom folder, a terminal rule, one whose app this Mac lacks, paused, and one whose app has no
// identifier.
std::vector<NimbrelRule> sampleRules(Date now) {
    using Mode = NimbrelBrowserOpeningMode;
    auto make = [now](const QString& name, NimbrelRuleAppTarget target, std::vector<NimbrelRuleAction> actions) {
        return NimbrelRule::make(name, true, false, NimbrelRuleTrigger{2, std::move(target)}, std::move(actions), now);
    };
    NimbrelRule reading = make(kMayElide[0], app("Safari", "com.apple.Safari"),
                               {NimbrelRuleAction::openBrowserWebsite(website(kMayElide[1], Mode::newWindow)),
                                NimbrelRuleAction::openBrowserWebsite(website("mail.example.com", Mode::newTab))});
    reading.availability = {NimbrelRuleAvailabilityMode::scheduled, workWeekdays(), NimbrelClockTime{7, 0},
                            NimbrelClockTime{10, 30}};
    NimbrelRule folders =
        make("Work Folders", app("Finder", "com.apple.finder"),
             {NimbrelRuleAction::openFolder(folder("Downloads", "~/Downloads", NimbrelWindowPlacement::bottomLeft)),
              NimbrelRuleAction::openFolder(
                  folder(kMayElide[2], "~/Documents/" + kMayElide[2], NimbrelWindowPlacement::bottomRight))});
    TerminalScriptRuleAction script;
    script.terminalApp = app("Terminal", "com.apple.Terminal");
    script.commands = {{Uuid::random(), kMayElide[4]}};
    NimbrelRule deploy = make("Deploy Site", script.terminalApp, {NimbrelRuleAction::runTerminalScript(script)});
    NimbrelRule review = make("Design Review", {"Figma", "com.figma.Desktop", "/Applications/Figma.app"}, {});
    review.pausedUntil = now.addingSeconds(3600);
    NimbrelRule unchosen =
        make("Rule Without an App", {"Legacy Tool", std::nullopt, "/Applications/Legacy Tool.app"}, {});
    return {reading, folders, deploy, review, unchosen};
}

// The screens over the preview's Mac, with the long samples added.
struct Samples {
    Samples() {
        preview.sessions()->store().addSession([] {
            NimbrelSession s = SessionsPreview::sampleSessions().front();
            s.name = kMayElide[3];
            s.allowedApps = {NimbrelSessionApp::finder(),
                             NimbrelSessionApp::normalizing("Launchpad", "com.apple.launchpad.launcher",
                                                            "/System/Applications/Launchpad.app"),
                             NimbrelSessionApp::normalizing("System Settings", "com.apple.systempreferences",
                                                            "/System/Applications/System Settings.app")};
            return s;
        }());
        Platform& platform = Platform::current();
        rulesStore = OfflineRulesStore::make(platform, sampleRules(platform.clock->now()));
        preview.scheduler().runUntilIdle();
    }
    std::unique_ptr<RulesViewModel> rules() {
        return std::make_unique<RulesViewModel>(Platform::current(), rulesStore.store,
                                                previewEditorServices(Platform::current()));
    }
    QString ruleId(size_t i) const { return rulesStore.store->rules().get().at(i).id.toString(); }

    ScreenPreview preview{makePreviewMac};
    OfflineRulesStore rulesStore;
    std::vector<std::shared_ptr<QObject>> keep;
};

using Driver = testing::QuickDriver;

using AnimationClock = testing::AnimationClock;

// One state of one screen: its file, its height (tall enough to lay out all of a scrolling
// editor), its model and what the user did to get there.
struct ScreenState {
    const char* name;
    const char* file;
    int height;
    std::function<QObject*(Samples&)> model;
    std::function<void(Driver&, QObject*)> act = {};
};

template <class T> T* kept(Samples& s, std::unique_ptr<T> made) {
    T* raw = made.get();
    s.keep.emplace_back(std::move(made));
    return raw;
}

QObject* rulesEditing(Samples& s, size_t rule) {
    RulesViewModel* model = kept(s, s.rules());
    model->editRule(s.ruleId(rule));
    return model;
}

QObject* sessionEditor(Samples& s) {
    SessionsViewModel* model = kept(s, s.preview.sessions()->makeViewModel());
    for (const NimbrelSession& session : model->sortedSessions())
        if (session.name == kMayElide[3]) model->editSession(session.id.toString());
    return model;
}

QObject* screenModel(Samples& s, NimbrelPanelScreen screen) {
    return kept(s, makeScreenModel(screen, Platform::current()));
}

void hover(Driver& driver, const char* name) {
    if (QQuickItem* item = driver.require(name)) {
        QTest::mouseMove(&driver.window(), item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint());
        driver.settle();
    }
}

void clickAt(Driver& driver, const char* row, const char* part) {
    if (QQuickItem* item = driver.require(row)) driver.click(part, item);
}

const std::vector<ScreenState>& states() {
    static const std::vector<ScreenState> table = {
        {"main menu", "NimbrelMenuBarView.qml", 500,
         [](Samples& s) {
             auto* root = kept(s, s.preview.makeContent(PanelMode::Menu));
             return qobject_cast<PanelRootViewModel*>(root)->menu();
         }},
        {"onboarding", "OnboardingView.qml", 560,
         [](Samples& s) { return kept(s, s.preview.makeContent(PanelMode::Onboarding)); }},
        {"rules", "RulesView.qml", 900, [](Samples& s) { return kept(s, s.rules()); }},
        {"custom pause sheet", "RulesView.qml", 500,
         [](Samples& s) {
             RulesViewModel* model = kept(s, s.rules());
             model->pauseRule(s.ruleId(0), "custom");
             return model;
         }},
        {"browser rule editor", "RulesView.qml", 1700, [](Samples& s) { return rulesEditing(s, 0); }},
        {"Finder rule editor", "RulesView.qml", 1500, [](Samples& s) { return rulesEditing(s, 1); }},
        {"terminal rule editor", "RulesView.qml", 1300, [](Samples& s) { return rulesEditing(s, 2); }},
        {"rule editor without an app", "RulesView.qml", 1200, [](Samples& s) { return rulesEditing(s, 4); }},
        {"app picker", "RulesView.qml", 700,
         [](Samples& s) {
             auto* model = qobject_cast<RulesViewModel*>(rulesEditing(s, 0));
             qobject_cast<RuleEditorViewModel*>(model->editor())->openAppPicker();
             return model;
         }},
        {"monitor menu", "RulesView.qml", 1700, [](Samples& s) { return rulesEditing(s, 0); },
         [](Driver& d, QObject*) { clickAt(d, "monitorRow", "menuValue"); }},
        {"placement menu", "RulesView.qml", 1500, [](Samples& s) { return rulesEditing(s, 1); },
         [](Driver& d, QObject*) { clickAt(d, "placementRow", "menuValue"); }},
        {"sessions", "SessionsView.qml", 1100,
         [](Samples& s) { return kept(s, s.preview.sessions()->makeViewModel()); }},
        {"session editor", "SessionsView.qml", 3200, sessionEditor},
        {"Dock order, pointer on Finder", "SessionsView.qml", 3200, sessionEditor,
         [](Driver& d, QObject*) { hover(d, "dockOrderRow_Finder"); }},
        {"Dock order, pointer on Launchpad", "SessionsView.qml", 3200, sessionEditor,
         [](Driver& d, QObject*) { hover(d, "dockOrderRow_Launchpad"); }},
        {"symbol library", "SessionsView.qml", 900, sessionEditor,
         [](Driver& d, QObject* m) {
             qobject_cast<SessionsViewModel*>(m)->editorModel()->symbols()->openLibrary();
             d.settle();
         }},
        {"whitelist library", "SessionsView.qml", 900, sessionEditor,
         [](Driver& d, QObject* m) {
             qobject_cast<SessionsViewModel*>(m)->editorModel()->blocking()->openLibrary();
             d.settle();
         }},
        {"settings", "SettingsWC.qml", 1000, [](Samples& s) { return screenModel(s, NimbrelPanelScreen::Settings); }},
        {"activity", "ActivityView.qml", 500, [](Samples& s) { return screenModel(s, NimbrelPanelScreen::Activity); }},
        {"activity, another day", "ActivityView.qml", 500,
         [](Samples& s) { return screenModel(s, NimbrelPanelScreen::Activity); },
         [](Driver&, QObject* m) { qobject_cast<ActivityViewModel*>(m)->selectDay(27); }},
        {"blacklist", "BlacklistView.qml", 800,
         [](Samples& s) { return screenModel(s, NimbrelPanelScreen::Blacklist); }},
    };
    return table;
}

TEST(ScreenTextFit, NoTextIsCutOrOverlappedOnAnyScreen) {
    Samples samples;
    AnimationClock animations;
    for (const ScreenState& state : states()) {
        SCOPED_TRACE(state.name);
        QObject* model = state.model(samples);
        samples.preview.scheduler().runUntilIdle();
        Driver driver(state.file, {{"model", QVariant::fromValue(model)}}, QSize(360, state.height));
        ASSERT_TRUE(driver.root());
        driver.root()->setSize(QSizeF(360, state.height));
        samples.preview.scheduler().runUntilIdle();
        driver.settle();
        animations.finish(driver);
        if (state.act) state.act(driver, model);
        samples.preview.scheduler().runUntilIdle();
        animations.finish(driver);
        EXPECT_EQ(TextFit(driver.window()).faults(), QStringList{});
    }
}

} // namespace
} // namespace nimbrel
