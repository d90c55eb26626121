// The real program over a fresh simulated Mac in a throw-away home, in its desktop window.
#include "ShotSupport.h"
#include "Shots.h"

#include "app/PanelRootViewModel.h"
#include "app/ScreenPreview.h"
#include "platform/Calendar.h"
#include "program/NimbrelProgram.h"
#include "ui/rules/RulesViewModel.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <cstdio>

namespace nimbrel {

namespace {

enum class DesktopState { fresh, granted, pausedMenu, choiceMenu, folderChooser };

// A new Finder rule's editor on the rules screen, at its actions: the "Open" row in view.
bool openNewFinderRule(NimbrelProgram& program, QQuickWindow& window) {
    auto* root = qobject_cast<PanelRootViewModel*>(program.shell().panelContent());
    if (!root) return false;
    root->post(QStringLiteral("Nimbrel.showRules"));
    runFor(900);
    auto* rules = qobject_cast<RulesViewModel*>(root->screenModel());
    if (!rules) return false;
    rules->createRule();
    runFor(900);
    if (!scrollToItem(window.contentItem(), QStringLiteral("editorSections"), QStringLiteral("actionsCard")))
        return false;
    runFor(300);
    return true;
}

// The primary screen's part of the window, where the panel and the open panel are.
QRect primaryScreenInView(DesktopViewModel& desktop) {
    QVariantMap primary;
    for (const QVariant& screen : desktop.screens())
        if (screen.toMap().value("isPrimary").toBool()) primary = screen.toMap();
    const double x = primary.value("x").toDouble();
    const double y = primary.value("y").toDouble();
    const Point topLeft = desktop.viewport().toView({x, y});
    const Point bottomRight =
        desktop.viewport().toView({x + primary.value("width").toDouble(), y + primary.value("height").toDouble()});
    return QRect(QPoint(int(topLeft.x), int(topLeft.y)), QPoint(int(bottomRight.x) - 1, int(bottomRight.y) - 1));
}

// The new Finder rule's "Open" menu open, as the desktop draws it over the panel.
bool pictureWithChoiceMenu(NimbrelProgram& program, QQuickWindow& window, const QString& out) {
    if (!openNewFinderRule(program, window)) return false;
    QQuickItem* row = findItem(window.contentItem(), QStringLiteral("folderRow"));
    if (!clickItem(findItem(row, QStringLiteral("menuValue")))) return false;
    runFor(600);
    return savePicture(window.grabWindow(), out, primaryScreenInView(program.desktop()));
}

// "Custom Folder…" chosen in that menu: the Mac's open panel comes up and waits, and the picture
// is taken while it is up (in Documents, Projects selected).
bool pictureWithFolderChooser(NimbrelProgram& program, QQuickWindow& window, const QString& out) {
    if (!openNewFinderRule(program, window)) return false;
    bool saved = false;
    DesktopOpenPanel& panel = program.desktop().openPanel();
    QMetaObject::Connection shown;
    shown = QObject::connect(
        &panel, &DesktopOpenPanel::changed, &panel,
        [&] {
            QObject::disconnect(shown);
            runFor(400);
            panel.open(panel.folderPath() + QStringLiteral("/Documents"));
            panel.select(panel.folderPath() + QStringLiteral("/Projects"));
            runFor(600);
            saved = savePicture(window.grabWindow(), out, primaryScreenInView(program.desktop()));
            panel.cancel();
        },
        Qt::QueuedConnection);
    QQuickItem* content = window.contentItem();
    if (!clickItem(findItem(findItem(content, QStringLiteral("folderRow")), QStringLiteral("menuValue")))) return false;
    runFor(300);
    if (!clickItem(findItem(content, QStringLiteral("menuItem_7")))) return false; // "Custom Folder…"
    runFor(300);
    return saved;
}

int shootDesktop(DesktopState state, const QString& out) {
    setCurrentLocaleName("en_US");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    NimbrelProgram program;
    if (!program.start()) return 1;
    runFor(1500);
    if (state != DesktopState::fresh) {
        program.desktop().setAccessibilityTrusted(true);
        runFor(1500);
    }
    if (state == DesktopState::pausedMenu) {
        if (!openPauseMenu(program.shell(), true)) return 1;
        runFor(1200);
    }
    QQuickWindow* window = program.desktopWindow();
    if (!window) return 1;
    // Half size shows both screens; the editor's menu and the open panel are shown larger, on
    // the primary screen alone.
    const bool closeUp = state == DesktopState::choiceMenu || state == DesktopState::folderChooser;
    const double scale = closeUp ? 0.75 : 0.5;
    window->resize(int(program.desktop().width() * scale), int(program.desktop().height() * scale));
    runFor(300);
    bool saved = false;
    if (state == DesktopState::choiceMenu)
        saved = pictureWithChoiceMenu(program, *window, out);
    else if (state == DesktopState::folderChooser)
        saved = pictureWithFolderChooser(program, *window, out);
    else
        saved = savePicture(window->grabWindow(), out);
    program.willTerminate();
    if (!saved) std::fprintf(stderr, "nimbrel-shot: the desktop did not reach the state to show\n");
    return saved ? 0 : 1;
}

Shot desktopShot(const QString& name, const QString& shows, DesktopState state) {
    return {name, shows, [state](const QString& out) { return shootDesktop(state, out); }};
}

} // namespace

std::vector<Shot> desktopShots() {
    return {
        desktopShot("desktop", "the whole program on a fresh simulated Mac, 1.5 s after start (onboarding open)",
                    DesktopState::fresh),
        desktopShot("desktop-menu", "the same after the permission was granted (main menu open)",
                    DesktopState::granted),
        desktopShot("desktop-paused-menu", "the whole program paused, its pause menu open", DesktopState::pausedMenu),
        desktopShot("desktop-choice-menu",
                    "the program's new Finder rule with its \"Open\" menu open, as the desktop draws it over the "
                    "panel (the primary screen)",
                    DesktopState::choiceMenu),
        desktopShot("folder-chooser",
                    "the program's new Finder rule after \"Custom Folder…\": the simulated Mac's open panel over the "
                    "primary screen, in Documents with Projects selected",
                    DesktopState::folderChooser),
    };
}

} // namespace nimbrel
