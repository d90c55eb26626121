#pragma once

#include "ui/sessions/SessionBlockingSection.h"
#include "ui/sessions/SessionDockAppsSection.h"
#include "ui/sessions/SessionEditorContext.h"
#include "ui/sessions/SessionScheduleSection.h"
#include "ui/sessions/SessionSymbolSection.h"
#include "ui/sessions/SessionWallpaperSection.h"

#include <QObject>

#include <functional>

namespace nimbrel {

// The session editor: the name, the five section cards, the two libraries that slide over
// the form, and the save that hands a complete session to its owner. Cancelling drops it all.
class SessionEditorViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY changed)
    Q_PROPERTY(QString defaultName READ defaultName CONSTANT)
    Q_PROPERTY(QString subtitle READ subtitle CONSTANT)
    Q_PROPERTY(QString saveTitle READ saveTitle CONSTANT)
    Q_PROPERTY(bool canSave READ canSave NOTIFY changed)
    Q_PROPERTY(bool isShowingSymbolLibrary READ isShowingSymbolLibrary NOTIFY changed)
    Q_PROPERTY(bool isShowingWhitelistLibrary READ isShowingWhitelistLibrary NOTIFY changed)
    Q_PROPERTY(QObject* motion READ motion CONSTANT)
    Q_PROPERTY(QObject* schedule READ schedule CONSTANT)
    Q_PROPERTY(QObject* wallpaper READ wallpaper CONSTANT)
    Q_PROPERTY(QObject* symbols READ symbols CONSTANT)
    Q_PROPERTY(QObject* blocking READ blocking CONSTANT)
    Q_PROPERTY(QObject* dockApps READ dockApps CONSTANT)
  public:
    struct Ends {
        std::function<void()> onCancel;
        std::function<void(const NimbrelSession&)> onSave;
    };

    SessionEditorViewModel(const std::optional<NimbrelSession>& session, const QString& defaultName,
                           SessionEditorContext::Services services, Ends ends, QObject* parent = nullptr);

    const SessionEditorState& state() const { return context_.state(); }
    QString name() const { return state().name; }
    void setName(const QString& name);
    QString defaultName() const { return state().defaultName; }
    QString subtitle() const;
    QString saveTitle() const;
    bool canSave() const { return state().canSave(); }
    bool isShowingSymbolLibrary() const { return state().isShowingSymbolLibrary; }
    bool isShowingWhitelistLibrary() const { return state().isShowingWhitelistLibrary; }
    QObject* motion() { return context_.motion(); }
    SessionScheduleSection* schedule() { return &schedule_; }
    SessionWallpaperSection* wallpaper() { return &wallpaper_; }
    SessionSymbolSection* symbols() { return &symbols_; }
    SessionBlockingSection* blocking() { return &blocking_; }
    SessionDockAppsSection* dockApps() { return &dockApps_; }

    // Hands the finished session over; nothing happens while it cannot be saved.
    Q_INVOKABLE void save();
    Q_INVOKABLE void cancel();

  signals:
    void changed();

  private:
    SessionEditorContext context_;
    Ends ends_;
    SessionScheduleSection schedule_;
    SessionWallpaperSection wallpaper_;
    SessionSymbolSection symbols_;
    SessionBlockingSection blocking_;
    SessionDockAppsSection dockApps_;
};

} // namespace nimbrel
