#include "ui/sessions/SessionsViewModel.h"

#include "platform/Platform.h"
#include "sessions/SessionsStore.h"
#include "ui/sessions/SessionCardRows.h"
#include "ui/sessions/SessionEditorViewModel.h"

#include <algorithm>

namespace nimbrel {

namespace {
constexpr double kDeleteResponse = 0.2;
constexpr double kDeleteDamping = 1.0;
} // namespace

SessionsViewModel::SessionsViewModel(Services services, QObject* parent)
    : CardListViewModel(parent), services_(std::move(services)) {
    sessionsObserver_ = services_.store->sessions().observe([this](const auto&) { refreshCards(); });
    activeObserver_ = services_.store->activeSession().observe([this](const auto&) { refreshCards(); });
    refreshCards();
}

SessionsViewModel::~SessionsViewModel() = default;

// A card is made anew when its session or its being active changed, and every card when the
// clock's style changed or the screen is shown again: with a thousand sessions, looking up each
// one's apps on the Mac again at every change would take a second.
void SessionsViewModel::refreshCards() {
    cardsChanging();
    sortedSessions_ = services_.store->sessions().get();
    sortSessions(sortedSessions_);
    const std::optional<NimbrelSession>& active = services_.store->activeSession().get();
    const SessionAppsOnThisMac mac{*services_.platform.workspace, *services_.platform.files};
    const SessionClockTimeText timeText = localizedShortTimeText();
    if (const QString style = timeText({13, 5}); style != cardTimeStyle_) {
        cardRows_.clear();
        cardTimeStyle_ = style;
    }
    std::vector<QVariantMap> rows;
    rows.reserve(sortedSessions_.size());
    for (const NimbrelSession& session : sortedSessions_) {
        const bool isActive = active && active->id == session.id;
        rows.push_back(
            cardRows_.of(session, isActive, [&] { return sessionCardRow(session, isActive, mac, timeText); }));
    }
    cardRows_.endPass();
    cards_.setRows(std::move(rows));
    emit cardsChanged();
}

void SessionsViewModel::showCardOf(const Uuid& id) {
    const auto card = std::find_if(sortedSessions_.begin(), sortedSessions_.end(),
                                   [&](const NimbrelSession& s) { return s.id == id; });
    if (card != sortedSessions_.end()) emit cardToShow(int(card - sortedSessions_.begin()));
}

QObject* SessionsViewModel::editor() const {
    return editor_.get();
}

QString SessionsViewModel::editorDefaultName() const {
    if (editorSession_ && editorSession_->session) return editorSession_->session->name;
    return QStringLiteral("Session ") + QString::number(services_.store->sessions().get().size() + 1);
}

std::optional<NimbrelSession> SessionsViewModel::cardSession(const QString& sessionId) const {
    const std::optional<Uuid> id = Uuid::parse(sessionId);
    if (!id) return std::nullopt;
    for (const NimbrelSession& session : sortedSessions_)
        if (session.id == *id) return session;
    return std::nullopt;
}

void SessionsViewModel::appeared() {
    // What the Mac has may have changed while the screen was away.
    cardRows_.clear();
    refreshCards();
    beginEntrance(services_.platform.scheduler);
}

void SessionsViewModel::setEditorSession(std::optional<SessionEditorSession> session) {
    // The editor being closed may be the caller (its save or back button), and it stays on
    // screen while it slides out: it is kept until the next opening.
    if (editor_) closingEditor_ = std::move(editor_);
    editorSession_ = std::move(session);
    if (editorSession_) {
        SessionEditorViewModel::Ends ends;
        ends.onCancel = [this] { closeEditor(); };
        ends.onSave = [this](const NimbrelSession& saved) { saveSession(saved); };
        editor_ = std::make_unique<SessionEditorViewModel>(
            editorSession_->session, editorDefaultName(),
            SessionEditorContext::Services{services_.platform, services_.catalogue, services_.symbols},
            std::move(ends));
    }
    emit editorChanged();
}

void SessionsViewModel::createSession() {
    motion_.withSpringAnimation(SessionEditorContext::kEditorSpring.response,
                                SessionEditorContext::kEditorSpring.dampingFraction,
                                [this] { setEditorSession(SessionEditorSession{}); });
}

void SessionsViewModel::editSession(const QString& sessionId) {
    auto session = cardSession(sessionId);
    if (!session) return;
    motion_.withSpringAnimation(SessionEditorContext::kEditorSpring.response,
                                SessionEditorContext::kEditorSpring.dampingFraction, [&] {
                                    setEditorSession(SessionEditorSession{Uuid::random(), std::move(session)});
                                });
}

void SessionsViewModel::closeEditor() {
    motion_.withSpringAnimation(SessionEditorContext::kEditorSpring.response,
                                SessionEditorContext::kEditorSpring.dampingFraction,
                                [this] { setEditorSession(std::nullopt); });
}

void SessionsViewModel::saveSession(const NimbrelSession& session) {
    const std::vector<NimbrelSession>& stored = services_.store->sessions().get();
    const bool known =
        std::any_of(stored.begin(), stored.end(), [&](const NimbrelSession& s) { return s.id == session.id; });
    motion_.withoutAnimation([&] {
        if (known)
            services_.store->updateSession(session);
        else
            services_.store->addSession(session);
    });
    showCardOf(session.id);
    closeEditor();
}

void SessionsViewModel::toggleSessionEnabled(const QString& sessionId) {
    auto session = cardSession(sessionId);
    if (!session) return;
    session->isEnabled = !session->isEnabled;
    motion_.withoutAnimation([&] { services_.store->updateSession(*session); });
}

void SessionsViewModel::toggleSessionPinned(const QString& sessionId) {
    auto session = cardSession(sessionId);
    if (!session) return;
    session->isPinned = !session->isPinned;
    motion_.withoutAnimation([&] { services_.store->updateSession(*session); });
    showCardOf(session->id);
}

void SessionsViewModel::deleteSession(const QString& sessionId) {
    const std::optional<Uuid> id = Uuid::parse(sessionId);
    if (!id) return;
    motion_.withSpringAnimation(kDeleteResponse, kDeleteDamping, [&] { services_.store->deleteSession(*id); });
}

} // namespace nimbrel
