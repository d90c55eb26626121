#include "ui/sessions/SessionsPreview.h"

#include "platform/Platform.h"
#include "sessions/SessionsStore.h"
#include "ui/common/InstalledAppsCatalogue.h"
#include "ui/sessions/SessionsViewModel.h"

namespace nimbrel {

namespace {

NimbrelSessionApp app(const QString& name, const QString& bundle, const QString& path) {
    return NimbrelSessionApp::normalizing(name, bundle, path);
}

NimbrelSessionWallpaperSelection picture(const QString& path, NimbrelSessionDisplayTarget target) {
    return {Uuid::random(), path.mid(path.lastIndexOf(QLatin1Char('/')) + 1), path, target};
}

} // namespace

std::vector<NimbrelSession> SessionsPreview::sampleSessions() {
    using D = NimbrelSessionWeekday;
    NimbrelSession deepWork;
    deepWork.name = QStringLiteral("Deep Work");
    deepWork.isPinned = true;
    deepWork.allowedApps = {NimbrelSessionApp::finder(),
                            app("Notes", "com.apple.Notes", "/System/Applications/Notes.app"),
                            app("TextEdit", "com.apple.TextEdit", "/System/Applications/TextEdit.app"),
                            app("Terminal", "com.apple.Terminal", "/System/Applications/Utilities/Terminal.app"),
                            app("Safari", "com.apple.Safari", "/Applications/Safari.app")};
    deepWork.whitelistedApps = {app("Mail", "com.apple.mail", "/System/Applications/Mail.app")};
    deepWork.whitelistAllApps = false;
    deepWork.scheduleWeekdays = {D::monday, D::tuesday, D::wednesday, D::thursday, D::friday};
    deepWork.scheduleStartTime = {8, 0};
    deepWork.scheduleEndTime = {18, 0};
    deepWork.menuBarSymbolName = QStringLiteral("target");
    deepWork.wallpaperSelections = {
        picture(QStringLiteral("/Users/Shared/Pictures/Deep Focus.jpg"), NimbrelSessionDisplayTarget::automatic())};

    NimbrelSession evening;
    evening.name = QStringLiteral("Evening Wind-Down");
    evening.allowedApps = {NimbrelSessionApp::finder(), app("Mail", "com.apple.mail", "/System/Applications/Mail.app"),
                           app("Notes", "com.apple.Notes", "/System/Applications/Notes.app")};
    evening.scheduleStartTime = {21, 0};
    evening.scheduleEndTime = {1, 0};
    evening.menuBarSymbolName = QStringLiteral("moon.fill");
    evening.remindBeforeSessionSeconds = 600;

    NimbrelSession writing;
    writing.name = QStringLiteral("Writing Sprint");
    writing.isEnabled = false;
    writing.allowedApps = {NimbrelSessionApp::finder(),
                           app("TextEdit", "com.apple.TextEdit", "/System/Applications/TextEdit.app"),
                           app("Ulysses", "com.ulyssesapp.mac", "/Applications/Ulysses.app")};
    writing.scheduleWeekdays = {D::saturday, D::sunday};
    writing.scheduleStartTime = {10, 0};
    writing.scheduleEndTime = {14, 0};
    writing.menuBarSymbolName = QStringLiteral("pencil");
    return {deepWork, evening, writing};
}

SessionsPreview::SessionsPreview(Platform& platform, SessionSymbolLookup symbols)
    : platform_(platform), symbols_(std::move(symbols)) {
    store_ = NimbrelSessionsStore::create(platform_, NimbrelSessionsStore::Parts::none());
    for (const NimbrelSession& session : sampleSessions())
        store_->addSession(session);
    catalogue_ = NimbrelInstalledApps::create(platform_);
}

SessionsPreview::~SessionsPreview() = default;

std::unique_ptr<SessionsViewModel> SessionsPreview::makeViewModel() {
    return std::make_unique<SessionsViewModel>(
        SessionsViewModel::Services{platform_, store_, [catalogue = catalogue_] { return catalogue; }, symbols_});
}

} // namespace nimbrel
