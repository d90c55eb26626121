#pragma once

#include "sessions/Session.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace nimbrel {

// Everything the session editor edits, copied from the session (or its defaults for a new
// one) when the editor opens. Nothing reaches the store until `savedSession` is handed over.
struct SessionEditorState {
    std::optional<NimbrelSession> session; // none: a new session
    QString defaultName;

    QString name;
    std::vector<NimbrelSessionApp> selectedApps; // always in the Dock's normal form
    std::vector<NimbrelSessionApp> whitelistedApps;
    std::int64_t startHour = 0;
    std::int64_t startMinute = 0;
    std::int64_t endHour = 0;
    std::int64_t endMinute = 0;
    NimbrelSessionWeekdays selectedWeekdays;
    std::vector<NimbrelSessionWallpaperSelection> wallpaperSelections;
    bool syncWallpapersAcrossDisplays = false;
    QString menuBarSymbolName;
    bool whitelistAllApps = false;
    bool remindBeforeSession = false;
    std::int64_t remindBeforeSessionSeconds = 0;
    bool isShowingSymbolLibrary = false;
    bool isShowingWhitelistLibrary = false;
    QString symbolSearchText;
    std::optional<QString> pendingSymbolName;
    QString appSearchText;
    QString whitelistSearchText;

    // A new session starts from a session's defaults with an empty name; `defaultDockApps`
    // is asked only for a new session.
    static SessionEditorState make(const std::optional<NimbrelSession>& session, const QString& defaultName,
                                   const std::function<std::vector<NimbrelSessionApp>()>& defaultDockApps);

    bool isNew() const { return !session.has_value(); }
    // A session needs at least one Dock app and one weekday.
    bool canSave() const;
    // The finished session, or none while it cannot be saved. Keeps the edited session's id,
    // enabled and pinned state and creation date; a blank name becomes the default name.
    std::optional<NimbrelSession> savedSession(Date now) const;

    void setSelectedApps(const std::vector<NimbrelSessionApp>& apps);
    // With one wallpaper for every display, the first one for all displays; otherwise every
    // per-display one (also for displays not connected now).
    std::vector<NimbrelSessionWallpaperSelection> effectiveWallpaperSelections() const;
    // The trimmed symbol name; the program's own icon when blank.
    QString effectiveMenuBarSymbolName() const;
};

// A session's Dock in its normal form: one app per session app key, Finder first.
std::vector<NimbrelSessionApp> normalizedDockApps(const std::vector<NimbrelSessionApp>& apps);

// The app pickers' search: `query` is already trimmed and lower-cased.
bool appMatchesSearch(const NimbrelSessionApp& app, const QString& query);

// A search field's text as a query: trimmed, lower-cased.
QString searchQuery(const QString& text);

// Whether `apps` holds an app with the session app key of `app`.
bool containsSameApp(const std::vector<NimbrelSessionApp>& apps, const NimbrelSessionApp& app);

} // namespace nimbrel
