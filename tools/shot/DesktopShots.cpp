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

enum class DesktopState { fresh, granted, pausedMenu, folderChooser };

RulesViewModel* openRulesScreen(NimbrelProgram& program) {
    auto* root = qobject_cast<PanelRootViewModel*>(program.shell().panelContent());
    if (!root) return nullptr;
    root->post(QStringLiteral("Nimbrel.showRules"));
    runFor(900);
    return qobject_cast<RulesViewModel*>(root->screenModel());
}

// A new Finder rule's "Open" menu, "Custom Folder…" chosen in it: the Mac's open panel comes up
// and waits, and the picture is taken while it is up (in Documents, Projects selected).
bool pictureWithFolderChooser(NimbrelProgram& program, QQuickWindow& window, const QString& out) {
    RulesViewModel* rules = openRulesScreen(program);
    if (!rules) return false;
    rules->createRule();
    runFor(900);
    QQuickItem* content = window.contentItem();
    if (!scrollToItem(content, QStringLiteral("editorSections"), QStringLiteral("actionsCard"))) return false;
    runFor(300);
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
            // The primary screen, where the panel and the open panel are.
            QVariantMap primary;
            for (const QVariant& screen : program.desktop().screens())
                if (screen.toMap().value("isPrimary").toBool()) primary = screen.toMap();
            const DesktopViewport& view = program.desktop().viewport();
            const double x = primary.value("x").toDouble();
            const double y = primary.value("y").toDouble();
            const Point topLeft = view.toView({x, y});
            const Point bottomRight =
                view.toView({x + primary.value("width").toDouble(), y + primary.value("height").toDouble()});
            saved = savePicture(
                window.grabWindow(), out,
                QRect(QPoint(int(topLeft.x), int(topLeft.y)), QPoint(int(bottomRight.x) - 1, int(bottomRight.y) - 1)));
            panel.cancel();
        },
        Qt::QueuedConnection);
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
    // Half size shows both screens; the open panel is shown larger, on the primary screen alone.
    const double scale = state == DesktopState::folderChooser ? 0.75 : 0.5;
    window->resize(int(program.desktop().width() * scale), int(program.desktop().height() * scale));
    runFor(300);
    const bool saved = state == DesktopState::folderChooser ? pictureWithFolderChooser(program, *window, out)
                                                            : savePicture(window->grabWindow(), out);
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
        desktopShot("folder-chooser",
                    "the program's new Finder rule after \"Custom Folder…\": the simulated Mac's open panel over the "
                    "primary screen, in Documents with Projects selected",
                    DesktopState::folderChooser),
    };
}

} // namespace nimbrel
