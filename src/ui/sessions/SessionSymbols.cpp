#include "ui/sessions/SessionSymbols.h"

#include <algorithm>

namespace nimbrel {

const QStringList& sessionQuickMenuBarSymbols() {
    static const QStringList names{
        kDefaultMenuBarSymbol, "laptopcomputer", "desktopcomputer", "dock.rectangle", "moon.fill",
        "sun.max.fill",        "bolt.fill",      "sparkles",        "target",         "timer"};
    return names;
}

const QStringList& sessionMenuBarSymbolCatalogue() {
    static const QStringList names{"heart.fill",
                                   "heart",
                                   "moon.fill",
                                   "moon",
                                   "sun.max.fill",
                                   "sun.max",
                                   "sparkles",
                                   "star.fill",
                                   "star",
                                   "flame.fill",
                                   "bolt.fill",
                                   "bolt.circle.fill",
                                   "leaf.fill",
                                   "target",
                                   "timer",
                                   "stopwatch.fill",
                                   "alarm.fill",
                                   "lock.fill",
                                   "lock.open.fill",
                                   "shield.fill",
                                   "brain.head.profile",
                                   "eye.fill",
                                   "hand.raised.fill",
                                   "figure.run",
                                   "figure.walk",
                                   "figure.mind.and.body",
                                   "cup.and.saucer.fill",
                                   "mug.fill",
                                   "briefcase.fill",
                                   "desktopcomputer",
                                   "laptopcomputer",
                                   "display",
                                   "keyboard.fill",
                                   "command",
                                   "option",
                                   "control",
                                   "power",
                                   "bell.fill",
                                   "bell.slash.fill",
                                   "speaker.wave.2.fill",
                                   "speaker.slash.fill",
                                   "music.note",
                                   "headphones",
                                   "mic.fill",
                                   "camera.fill",
                                   "video.fill",
                                   "doc.text.fill",
                                   "folder.fill",
                                   "tray.fill",
                                   "archivebox.fill",
                                   "paperplane.fill",
                                   "envelope.fill",
                                   "message.fill",
                                   "bubble.left.fill",
                                   "phone.fill",
                                   "calendar",
                                   "calendar.badge.clock",
                                   "clock.fill",
                                   "hourglass",
                                   "checkmark.circle.fill",
                                   "xmark.circle.fill",
                                   "plus.circle.fill",
                                   "minus.circle.fill",
                                   "play.fill",
                                   "pause.fill",
                                   "stop.fill",
                                   "record.circle",
                                   "arrow.triangle.2.circlepath",
                                   "gearshape.fill",
                                   "slider.horizontal.3",
                                   "wand.and.stars",
                                   "paintbrush.fill",
                                   "pencil",
                                   "scribble",
                                   "book.fill",
                                   "bookmark.fill",
                                   "tag.fill",
                                   "flag.fill",
                                   "pin.fill",
                                   "paperclip",
                                   "link",
                                   "globe",
                                   "network",
                                   "wifi",
                                   "antenna.radiowaves.left.and.right",
                                   "location.fill",
                                   "map.fill",
                                   "car.fill",
                                   "bicycle",
                                   "airplane",
                                   "house.fill",
                                   "building.2.fill",
                                   "cart.fill",
                                   "creditcard.fill",
                                   "gift.fill",
                                   "shippingbox.fill",
                                   "person.fill",
                                   "person.2.fill",
                                   "person.crop.circle.fill",
                                   "hands.sparkles.fill",
                                   "gamecontroller.fill",
                                   "puzzlepiece.fill",
                                   "hammer.fill",
                                   "wrench.and.screwdriver.fill",
                                   "scissors",
                                   "ruler.fill",
                                   "eyedropper.full",
                                   "trash.fill",
                                   "externaldrive.fill",
                                   "internaldrive.fill",
                                   "icloud.fill",
                                   "square.grid.2x2.fill",
                                   "square.grid.3x3.fill",
                                   "rectangle.grid.1x2.fill",
                                   "dock.rectangle",
                                   "menubar.rectangle",
                                   "macwindow",
                                   "app.fill",
                                   "apps.iphone",
                                   "iphone",
                                   "ipad",
                                   "apple.logo"};
    return names;
}

QStringList filteredSessionSymbols(const QString& searchText) {
    const QString query = searchQuery(searchText);
    if (query.isEmpty()) return sessionMenuBarSymbolCatalogue();
    const QStringList words = query.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList result;
    for (const QString& name : sessionMenuBarSymbolCatalogue()) {
        const QString lowered = name.toLower();
        QString spaced = lowered;
        spaced.replace(QLatin1Char('.'), QLatin1Char(' '));
        const bool everyWord = !words.isEmpty() && std::all_of(words.begin(), words.end(), [&](const QString& word) {
            return lowered.contains(word);
        });
        if (lowered.contains(query) || spaced.contains(query) || everyWord) result << name;
    }
    return result;
}

bool isQuickSymbolSelected(const SessionEditorState& state, const QString& name) {
    return state.effectiveMenuBarSymbolName() == name;
}

void selectQuickSymbol(SessionEditorState& state, const QString& name) {
    state.menuBarSymbolName = isQuickSymbolSelected(state, name) ? kDefaultMenuBarSymbol : name;
}

void prepareSymbolLibrary(SessionEditorState& state) {
    const QString current = state.effectiveMenuBarSymbolName();
    state.pendingSymbolName = current == kDefaultMenuBarSymbol ? std::nullopt : std::optional(current);
    state.symbolSearchText.clear();
}

void togglePendingSymbol(SessionEditorState& state, const QString& name) {
    if (state.pendingSymbolName == name)
        state.pendingSymbolName.reset();
    else
        state.pendingSymbolName = name;
}

QString sessionSymbolTooltip(const QString& name) {
    return name == kDefaultMenuBarSymbol ? QStringLiteral("Default Nimbrel icon") : name;
}

SessionSymbolPicture sessionSymbolPicture(const QString& name, const SessionSymbolLookup& lookup) {
    if (lookup.hasSymbol && lookup.hasSymbol(name)) return {false, name};
    if (lookup.hasAsset && lookup.hasAsset(name)) return {true, name};
    return {false, QStringLiteral("heart.fill")};
}

} // namespace nimbrel
