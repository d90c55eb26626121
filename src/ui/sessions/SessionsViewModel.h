#pragma once

#include "platform/Scheduler.h"
#include "sessions/KeptPerSession.h"
#include "sessions/Session.h"
#include "ui/common/CardListViewModel.h"
#include "ui/common/KeyedListModel.h"
#include "ui/sessions/SessionEditorContext.h"

#include <QObject>

#include <memory>
#include <optional>

namespace nimbrel {

class NimbrelSessionsStore;
class SessionEditorViewModel;

// One opening of the session editor: a fresh id every time, and the session edited (none: a
// new one).
struct SessionEditorSession {
    Uuid id = Uuid::random();
    std::optional<NimbrelSession> session;
};

// The sessions screen: the cards over the shared sessions store (pinned first, the active
// one marked), the empty state, and the editor that slides in over the list. Every change
// goes through the store's add, update and delete.
// The cards model has one row per session (see SessionCardRows): {"key" (the id), "name",
// "status", ...}.
class SessionsViewModel : public CardListViewModel {
    Q_OBJECT
  public:
    struct Services {
        Platform& platform;
        std::shared_ptr<NimbrelSessionsStore> store;
        std::function<std::shared_ptr<NimbrelInstalledApps>()> catalogue;
        SessionSymbolLookup symbols;
    };

    explicit SessionsViewModel(Services services, QObject* parent = nullptr);
    ~SessionsViewModel() override;

    QObject* cardsModel() override { return &cards_; }
    bool isEmpty() const override { return sortedSessions_.empty(); }
    bool isEditorOpen() const override { return editorSession_.has_value(); }
    QString editorSessionId() const override { return editorSession_ ? editorSession_->id.toString() : QString(); }
    QObject* editor() const override;
    SessionEditorViewModel* editorModel() const { return editor_.get(); }
    Motion* motion() override { return &motion_; }
    const std::vector<NimbrelSession>& sortedSessions() const { return sortedSessions_; }
    // "Session N" for a new session (N = the number of sessions + 1), else the edited name.
    QString editorDefaultName() const;

    // The screen was shown: redraws from the store, then starts the entrance one turn later.
    Q_INVOKABLE void appeared();
    Q_INVOKABLE void createSession();
    Q_INVOKABLE void editSession(const QString& sessionId);
    Q_INVOKABLE void closeEditor();
    Q_INVOKABLE void toggleSessionEnabled(const QString& sessionId);
    Q_INVOKABLE void toggleSessionPinned(const QString& sessionId);
    Q_INVOKABLE void deleteSession(const QString& sessionId);

    // The editor's save: updates the stored session with that id, or adds it; then closes.
    void saveSession(const NimbrelSession& session);

  private:
    std::optional<NimbrelSession> cardSession(const QString& sessionId) const;
    void refreshCards();
    // Brings the card of the session with `id` into view (after the person saved or moved it).
    void showCardOf(const Uuid& id);
    void setEditorSession(std::optional<SessionEditorSession> session);

    Services services_;
    KeyedListModel cards_{QStringLiteral("key")};
    std::vector<NimbrelSession> sortedSessions_;
    // Each session's card row, kept until its session or its being active changes.
    KeptPerSession<QVariantMap> cardRows_;
    // How the clock writes 13:05 when the kept rows were made.
    QString cardTimeStyle_;
    Motion motion_;
    ObserverToken sessionsObserver_;
    ObserverToken activeObserver_;
    std::optional<SessionEditorSession> editorSession_;
    std::unique_ptr<SessionEditorViewModel> editor_;
    std::unique_ptr<SessionEditorViewModel> closingEditor_;
};

} // namespace nimbrel
