#include "ui/sessions/SessionSymbolSection.h"

#include "ui/sessions/SessionEditorContext.h"
#include "ui/sessions/SessionSymbols.h"

namespace nimbrel {

SessionSymbolSection::SessionSymbolSection(SessionEditorContext& context, QObject* parent)
    : QObject(parent), context_(context) {
    connect(&context_, &SessionEditorContext::stateChanged, this, [this] {
        refresh();
        emit changed();
    });
    refresh();
}

void SessionSymbolSection::refresh() {
    libraryCells_.setRows(cells(filteredSessionSymbols(context_.state().symbolSearchText), false));
}

QVariantMap SessionSymbolSection::picture(const QString& name) const {
    const SessionSymbolPicture picture = sessionSymbolPicture(name, context_.symbols());
    return {{QStringLiteral("isAsset"), picture.isAsset}, {QStringLiteral("name"), picture.name}};
}

QVariantList SessionSymbolSection::cells(const QStringList& names, bool quick) const {
    const SessionEditorState& state = context_.state();
    QVariantList cells;
    for (const QString& name : names)
        cells.append(QVariantMap{{QStringLiteral("key"), name},
                                 {QStringLiteral("name"), name},
                                 {QStringLiteral("picture"), picture(name)},
                                 {QStringLiteral("isSelected"),
                                  quick ? isQuickSymbolSelected(state, name) : state.pendingSymbolName == name},
                                 {QStringLiteral("tooltip"), sessionSymbolTooltip(name)}});
    return cells;
}

QVariantMap SessionSymbolSection::preview() const {
    return picture(context_.state().effectiveMenuBarSymbolName());
}

QVariantList SessionSymbolSection::quickCells() const {
    return cells(sessionQuickMenuBarSymbols(), true);
}

QString SessionSymbolSection::searchText() const {
    return context_.state().symbolSearchText;
}

void SessionSymbolSection::setSearchText(const QString& text) {
    if (text == searchText()) return;
    context_.change([&](SessionEditorState& state) { state.symbolSearchText = text; });
}

bool SessionSymbolSection::hasPendingSymbol() const {
    return context_.state().pendingSymbolName.has_value();
}

QString SessionSymbolSection::pendingSymbolName() const {
    return context_.state().pendingSymbolName.value_or(QString());
}

QVariantMap SessionSymbolSection::pendingPicture() const {
    return picture(pendingSymbolName());
}

void SessionSymbolSection::selectQuickSymbol(const QString& name) {
    context_.change([&](SessionEditorState& state) { nimbrel::selectQuickSymbol(state, name); });
}

void SessionSymbolSection::openLibrary() {
    context_.change(prepareSymbolLibrary);
    context_.change([](SessionEditorState& state) { state.isShowingSymbolLibrary = true; },
                    SessionEditorContext::kEditorSpring);
}

void SessionSymbolSection::togglePendingSymbol(const QString& name) {
    context_.change([&](SessionEditorState& state) { nimbrel::togglePendingSymbol(state, name); });
}

void SessionSymbolSection::applyLibrarySymbol(const QString& name) {
    context_.change([&](SessionEditorState& state) { state.menuBarSymbolName = name; });
    closeLibrary();
}

void SessionSymbolSection::closeLibrary() {
    context_.change([](SessionEditorState& state) { state.isShowingSymbolLibrary = false; },
                    SessionEditorContext::kEditorSpring);
}

} // namespace nimbrel
