#include "app/SymbolNames.h"

#include <QHash>

namespace nimbrel {

namespace {
// System symbol names the screens use, drawn with the nearest icon of the bundled set.
// Plain pairs rather than a QHash initializer of QStringLiterals: the same table, but one that
// compiles in a second instead of half a minute under the sanitizers.
struct SymbolFile {
    const char* symbol;
    const char* file;
};
constexpr SymbolFile kSymbolFiles[] = {
    {"waveform.path.ecg", "activity"},
    {"accessibility", "universal-access"},
    {"wifi", "wifi"},
    {"battery.100", "battery-full"},
    {"magnifyingglass", "search"},
    {"display", "display"},
    {"timer", "stopwatch"},
    {"clock", "clock"},
    {"gear", "gear"},
    {"heart.fill", "heart-fill"},
    {"pause.circle.fill", "pause-circle-fill"},
    {"pause.fill", "pause-fill"},
    {"play.fill", "play-fill"},
    {"stop.fill", "stop-fill"},
    {"arrow.left", "arrow-left"},
    {"chevron.left", "chevron-left"},
    {"chevron.right", "chevron-right"},
    {"chevron.down", "chevron-down"},
    {"moon.fill", "moon-fill"},
    {"sun.max.fill", "sun-fill"},
    {"sun.max", "sun"},
    {"pin.fill", "pin-fill"},
    {"dock.rectangle", "window-dock"},
    {"person.crop.circle.fill", "person-circle"},
    {"person.fill", "person-fill"},
    {"person.2.fill", "people-fill"},
    {"minus.circle.fill", "dash-circle-fill"},
    {"plus.circle.fill", "plus-circle-fill"},
    {"xmark.circle.fill", "x-circle-fill"},
    {"xmark", "x-lg"},
    {"checkmark", "check-lg"},
    {"checkmark.circle.fill", "check-circle-fill"},
    {"exclamationmark.triangle.fill", "exclamation-triangle-fill"},
    {"info.circle.fill", "info-circle-fill"},
    {"power.circle.fill", "power-circle-fill"},
    {"power.circle", "power"},
    {"power", "power"},
    {"gearshape.fill", "gear-fill"},
    {"gearshape", "gear"},
    {"checkmark.shield.fill", "shield-fill-check"},
    {"shield.fill", "shield-fill"},
    {"lock.fill", "lock-fill"},
    {"lock.open.fill", "unlock-fill"},
    {"hand.raised.fill", "hand-index-thumb-fill"},
    {"arrow.triangle.2.circlepath", "arrow-repeat"},
    {"arrow.clockwise.circle", "arrow-clockwise"},
    {"icloud.fill", "cloud-fill"},
    {"icloud.slash.fill", "cloud-slash-fill"},
    {"folder.fill", "folder-fill"},
    {"clock.fill", "clock-fill"},
    {"circle.fill", "circle-fill"},
    {"bolt.fill", "lightning-fill"},
    {"bell.slash.fill", "bell-slash-fill"},
    {"bell.fill", "bell-fill"},
    {"wand.and.stars", "magic"},
    {"terminal.fill", "terminal-fill"},
    {"square.stack.3d.up", "stack"},
    {"rectangle.3.group", "grid-1x2"},
    {"list.bullet", "list-ul"},
    {"nosign", "slash-circle"},
    {"calendar", "calendar3"},
    {"sparkles", "stars"},
    {"trash.fill", "trash-fill"},
    {"star.fill", "star-fill"},
    {"tray.fill", "inbox-fill"},
    {"tag.fill", "tag-fill"},
    {"stopwatch.fill", "stopwatch-fill"},
    {"square.grid.3x3.fill", "grid-3x3-gap-fill"},
    {"square.grid.2x2.fill", "grid-fill"},
    {"slider.horizontal.3", "sliders"},
    {"paperplane.fill", "send-fill"},
    {"paintbrush.fill", "brush-fill"},
    {"puzzlepiece.fill", "puzzle-fill"},
    {"phone.fill", "telephone-fill"},
    {"video.fill", "camera-video-fill"},
    {"book.fill", "book-fill"},
    {"cup.and.saucer.fill", "cup-hot-fill"},
    {"briefcase.fill", "briefcase-fill"},
    {"graduationcap.fill", "mortarboard-fill"},
    {"gamecontroller.fill", "controller"},
    {"music.note", "music-note"},
    {"arrow.up.left.and.arrow.down.right", "arrows-fullscreen"},
    {"rectangle.on.rectangle", "window-stack"},
    {"questionmark.circle.fill", "question-circle-fill"},
    {"cursorarrow.click", "cursor-fill"},
    {"globe", "globe"},
    {"rectangle.center.inset.filled", "window"},
    {"rectangle.lefthalf.inset.filled", "layout-sidebar"},
    {"rectangle.righthalf.inset.filled", "layout-sidebar-reverse"},
    {"arrow.up.left", "arrow-up-left"},
    {"arrow.up.right", "arrow-up-right"},
    {"arrow.down.left", "arrow-down-left"},
    {"arrow.down.right", "arrow-down-right"},
    {"square.split.2x1.fill", "layout-split"},
    {"pin", "pin"},
    {"trash", "trash"},
    {"plus", "plus-lg"},
    {"folder", "folder"},
    {"folder.badge.gearshape", "folder2-open"},
    {"ellipsis", "three-dots"},
    {"rectangle.stack", "window-stack"},
    {"app", "app"},
    // The sessions screens' symbol picker and rows.
    {"heart", "heart"},
    {"moon", "moon"},
    {"star", "star"},
    {"flame.fill", "fire"},
    {"bolt.circle.fill", "lightning-charge-fill"},
    {"leaf.fill", "tree-fill"},
    {"target", "bullseye"},
    {"alarm.fill", "alarm-fill"},
    {"brain.head.profile", "lightbulb"},
    {"eye.fill", "eye-fill"},
    {"figure.run", "person-up"},
    {"figure.walk", "person"},
    {"figure.mind.and.body", "flower1"},
    {"mug.fill", "cup-fill"},
    {"desktopcomputer", "pc-display"},
    {"laptopcomputer", "laptop"},
    {"keyboard.fill", "keyboard-fill"},
    {"command", "command"},
    {"option", "option"},
    {"control", "chevron-up"},
    {"speaker.wave.2.fill", "volume-up-fill"},
    {"speaker.slash.fill", "volume-mute-fill"},
    {"headphones", "headphones"},
    {"mic.fill", "mic-fill"},
    {"camera.fill", "camera-fill"},
    {"doc.text.fill", "file-earmark-text-fill"},
    {"archivebox.fill", "archive-fill"},
    {"envelope.fill", "envelope-fill"},
    {"message.fill", "chat-fill"},
    {"bubble.left.fill", "chat-left-fill"},
    {"calendar.badge.clock", "calendar-event"},
    {"hourglass", "hourglass-split"},
    {"record.circle", "record-circle"},
    {"scribble", "vector-pen"},
    {"bookmark.fill", "bookmark-fill"},
    {"flag.fill", "flag-fill"},
    {"paperclip", "paperclip"},
    {"link", "link-45deg"},
    {"network", "diagram-3"},
    {"antenna.radiowaves.left.and.right", "broadcast"},
    {"location.fill", "geo-alt-fill"},
    {"map.fill", "map-fill"},
    {"car.fill", "car-front-fill"},
    {"bicycle", "bicycle"},
    {"airplane", "airplane-fill"},
    {"house.fill", "house-fill"},
    {"building.2.fill", "buildings-fill"},
    {"cart.fill", "cart-fill"},
    {"creditcard.fill", "credit-card-fill"},
    {"gift.fill", "gift-fill"},
    {"shippingbox.fill", "box-seam-fill"},
    {"hands.sparkles.fill", "droplet-fill"},
    {"hammer.fill", "hammer"},
    {"wrench.and.screwdriver.fill", "tools"},
    {"scissors", "scissors"},
    {"ruler.fill", "rulers"},
    {"eyedropper.full", "eyedropper"},
    {"externaldrive.fill", "device-hdd-fill"},
    {"internaldrive.fill", "device-ssd-fill"},
    {"rectangle.grid.1x2.fill", "grid-1x2-fill"},
    {"menubar.rectangle", "menu-button-wide-fill"},
    {"macwindow", "window"},
    {"app.fill", "square-fill"},
    {"apps.iphone", "app-indicator"},
    {"iphone", "phone"},
    {"ipad", "tablet"},
    {"apple.logo", "apple"},
    {"checklist", "list-check"},
    {"chevron.up", "chevron-up"},
    {"square.grid.3x3", "grid-3x3"},
    {"rectangle.2.swap", "arrow-left-right"},
    {"arrow.down.to.line", "arrow-bar-down"},
    {"arrow.forward.circle", "arrow-right-circle"},
    {"arrow.down.to.line.compact", "box-arrow-in-down"},
    {"square.2.layers.3d", "layers"},
    {"bell.badge.fill", "bell-fill"},
    {"arrow.down.circle.fill", "arrow-down-circle-fill"},
    {"arrow.clockwise", "arrow-clockwise"},
    {"checkmark.seal.fill", "patch-check-fill"},
    {"pencil", "pencil-fill"},
    {"clock.badge.questionmark", "clock-history"},
    {"app.dashed", "app"},
};

const QHash<QString, QString>& symbolFiles() {
    static const QHash<QString, QString> files = [] {
        QHash<QString, QString> byName;
        for (const auto& [symbol, file] : kSymbolFiles) byName.insert(QLatin1String(symbol), QLatin1String(file));
        return byName;
    }();
    return files;
}
} // namespace

std::optional<QString> symbolIconFile(const QString& symbolName) {
    const auto it = symbolFiles().constFind(symbolName);
    if (it == symbolFiles().constEnd()) return std::nullopt;
    return QStringLiteral(":/nimbrel/icons/") + *it + QStringLiteral(".svg");
}

namespace {
// The program's own assets and the one colour each is drawn in (as in its SVG file).
const QHash<QString, QString>& assetColors() {
    static const QHash<QString, QString> colors = {
        {QStringLiteral("NIMBREL_MENU_BAR"), QStringLiteral("#F2F2F7")},
        {QStringLiteral("NIMBREL_MENU_BAR_ORANGE"), QStringLiteral("#FF9F0A")},
    };
    return colors;
}
} // namespace

std::optional<QString> assetIconFile(const QString& assetName) {
    if (!assetColors().contains(assetName)) return std::nullopt;
    return QStringLiteral(":/nimbrel/icons/") + assetName + QStringLiteral(".svg");
}

std::optional<QString> assetIconColor(const QString& assetName) {
    const auto it = assetColors().constFind(assetName);
    if (it == assetColors().constEnd()) return std::nullopt;
    return *it;
}

} // namespace nimbrel
