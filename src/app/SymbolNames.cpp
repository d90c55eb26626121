#include "app/SymbolNames.h"

#include <QHash>

namespace nimbrel {

namespace {
// System symbol names the screens use, drawn with the nearest icon of the bundled set.
const QHash<QString, QString>& symbolFiles() {
    static const QHash<QString, QString> files = {
        {QStringLiteral("waveform.path.ecg"), QStringLiteral("activity")},
        {QStringLiteral("accessibility"), QStringLiteral("universal-access")},
        {QStringLiteral("wifi"), QStringLiteral("wifi")},
        {QStringLiteral("battery.100"), QStringLiteral("battery-full")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("search")},
        {QStringLiteral("display"), QStringLiteral("display")},
        {QStringLiteral("timer"), QStringLiteral("stopwatch")},
        {QStringLiteral("clock"), QStringLiteral("clock")},
        {QStringLiteral("gear"), QStringLiteral("gear")},
        {QStringLiteral("heart.fill"), QStringLiteral("heart-fill")},
        {QStringLiteral("pause.circle.fill"), QStringLiteral("pause-circle-fill")},
        {QStringLiteral("pause.fill"), QStringLiteral("pause-fill")},
        {QStringLiteral("play.fill"), QStringLiteral("play-fill")},
        {QStringLiteral("stop.fill"), QStringLiteral("stop-fill")},
        {QStringLiteral("arrow.left"), QStringLiteral("arrow-left")},
        {QStringLiteral("chevron.left"), QStringLiteral("chevron-left")},
        {QStringLiteral("chevron.right"), QStringLiteral("chevron-right")},
        {QStringLiteral("chevron.down"), QStringLiteral("chevron-down")},
        {QStringLiteral("moon.fill"), QStringLiteral("moon-fill")},
        {QStringLiteral("sun.max.fill"), QStringLiteral("sun-fill")},
        {QStringLiteral("sun.max"), QStringLiteral("sun")},
        {QStringLiteral("pin.fill"), QStringLiteral("pin-fill")},
        {QStringLiteral("dock.rectangle"), QStringLiteral("window-dock")},
        {QStringLiteral("person.crop.circle.fill"), QStringLiteral("person-circle")},
        {QStringLiteral("person.fill"), QStringLiteral("person-fill")},
        {QStringLiteral("person.2.fill"), QStringLiteral("people-fill")},
        {QStringLiteral("minus.circle.fill"), QStringLiteral("dash-circle-fill")},
        {QStringLiteral("plus.circle.fill"), QStringLiteral("plus-circle-fill")},
        {QStringLiteral("xmark.circle.fill"), QStringLiteral("x-circle-fill")},
        {QStringLiteral("xmark"), QStringLiteral("x-lg")},
        {QStringLiteral("checkmark"), QStringLiteral("check-lg")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("check-circle-fill")},
        {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("exclamation-triangle-fill")},
        {QStringLiteral("info.circle.fill"), QStringLiteral("info-circle-fill")},
        {QStringLiteral("power.circle.fill"), QStringLiteral("power")},
        {QStringLiteral("power.circle"), QStringLiteral("power")},
        {QStringLiteral("power"), QStringLiteral("power")},
        {QStringLiteral("gearshape.fill"), QStringLiteral("gear-fill")},
        {QStringLiteral("gearshape"), QStringLiteral("gear")},
        {QStringLiteral("checkmark.shield.fill"), QStringLiteral("shield-fill-check")},
        {QStringLiteral("shield.fill"), QStringLiteral("shield-fill")},
        {QStringLiteral("lock.fill"), QStringLiteral("lock-fill")},
        {QStringLiteral("lock.open.fill"), QStringLiteral("unlock-fill")},
        {QStringLiteral("hand.raised.fill"), QStringLiteral("hand-index-thumb-fill")},
        {QStringLiteral("arrow.triangle.2.circlepath"), QStringLiteral("arrow-repeat")},
        {QStringLiteral("arrow.clockwise.circle"), QStringLiteral("arrow-clockwise")},
        {QStringLiteral("icloud.fill"), QStringLiteral("cloud-fill")},
        {QStringLiteral("icloud.slash.fill"), QStringLiteral("cloud-slash-fill")},
        {QStringLiteral("folder.fill"), QStringLiteral("folder-fill")},
        {QStringLiteral("clock.fill"), QStringLiteral("clock-fill")},
        {QStringLiteral("circle.fill"), QStringLiteral("circle-fill")},
        {QStringLiteral("bolt.fill"), QStringLiteral("lightning-fill")},
        {QStringLiteral("bell.slash.fill"), QStringLiteral("bell-slash-fill")},
        {QStringLiteral("bell.fill"), QStringLiteral("bell-fill")},
        {QStringLiteral("wand.and.stars"), QStringLiteral("magic")},
        {QStringLiteral("terminal.fill"), QStringLiteral("terminal-fill")},
        {QStringLiteral("square.stack.3d.up"), QStringLiteral("stack")},
        {QStringLiteral("rectangle.3.group"), QStringLiteral("grid-1x2")},
        {QStringLiteral("list.bullet"), QStringLiteral("list-ul")},
        {QStringLiteral("nosign"), QStringLiteral("slash-circle")},
        {QStringLiteral("calendar"), QStringLiteral("calendar3")},
        {QStringLiteral("sparkles"), QStringLiteral("stars")},
        {QStringLiteral("trash.fill"), QStringLiteral("trash-fill")},
        {QStringLiteral("star.fill"), QStringLiteral("star-fill")},
        {QStringLiteral("tray.fill"), QStringLiteral("inbox-fill")},
        {QStringLiteral("tag.fill"), QStringLiteral("tag-fill")},
        {QStringLiteral("stopwatch.fill"), QStringLiteral("stopwatch-fill")},
        {QStringLiteral("square.grid.3x3.fill"), QStringLiteral("grid-3x3-gap-fill")},
        {QStringLiteral("square.grid.2x2.fill"), QStringLiteral("grid-fill")},
        {QStringLiteral("slider.horizontal.3"), QStringLiteral("sliders")},
        {QStringLiteral("paperplane.fill"), QStringLiteral("send-fill")},
        {QStringLiteral("paintbrush.fill"), QStringLiteral("brush-fill")},
        {QStringLiteral("puzzlepiece.fill"), QStringLiteral("puzzle-fill")},
        {QStringLiteral("phone.fill"), QStringLiteral("telephone-fill")},
        {QStringLiteral("video.fill"), QStringLiteral("camera-video-fill")},
        {QStringLiteral("book.fill"), QStringLiteral("book-fill")},
        {QStringLiteral("cup.and.saucer.fill"), QStringLiteral("cup-hot-fill")},
        {QStringLiteral("briefcase.fill"), QStringLiteral("briefcase-fill")},
        {QStringLiteral("graduationcap.fill"), QStringLiteral("mortarboard-fill")},
        {QStringLiteral("gamecontroller.fill"), QStringLiteral("controller")},
        {QStringLiteral("music.note"), QStringLiteral("music-note")},
        {QStringLiteral("arrow.up.left.and.arrow.down.right"), QStringLiteral("arrows-fullscreen")},
        {QStringLiteral("rectangle.on.rectangle"), QStringLiteral("window-stack")},
        {QStringLiteral("questionmark.circle.fill"), QStringLiteral("question-circle-fill")},
        {QStringLiteral("rectangle.2.swap"), QStringLiteral("arrow-left-right")},
        {QStringLiteral("arrow.down.to.line"), QStringLiteral("arrow-bar-down")},
        {QStringLiteral("arrow.forward.circle"), QStringLiteral("arrow-right-circle")},
        {QStringLiteral("arrow.down.to.line.compact"), QStringLiteral("box-arrow-in-down")},
        {QStringLiteral("square.2.layers.3d"), QStringLiteral("layers")},
        {QStringLiteral("bell.badge.fill"), QStringLiteral("bell-fill")},
        {QStringLiteral("arrow.down.circle.fill"), QStringLiteral("arrow-down-circle-fill")},
        {QStringLiteral("arrow.clockwise"), QStringLiteral("arrow-clockwise")},
        {QStringLiteral("checkmark.seal.fill"), QStringLiteral("patch-check-fill")},
        {QStringLiteral("clock.badge.questionmark"), QStringLiteral("clock-history")},
        {QStringLiteral("app.dashed"), QStringLiteral("app")},
        {QStringLiteral("cursorarrow.click"), QStringLiteral("cursor-fill")},
        {QStringLiteral("globe"), QStringLiteral("globe")},
        {QStringLiteral("rectangle.center.inset.filled"), QStringLiteral("window")},
        {QStringLiteral("rectangle.lefthalf.inset.filled"), QStringLiteral("layout-sidebar")},
        {QStringLiteral("rectangle.righthalf.inset.filled"), QStringLiteral("layout-sidebar-reverse")},
        {QStringLiteral("arrow.up.left"), QStringLiteral("arrow-up-left")},
        {QStringLiteral("arrow.up.right"), QStringLiteral("arrow-up-right")},
        {QStringLiteral("arrow.down.left"), QStringLiteral("arrow-down-left")},
        {QStringLiteral("arrow.down.right"), QStringLiteral("arrow-down-right")},
        {QStringLiteral("square.split.2x1.fill"), QStringLiteral("layout-split")},
        {QStringLiteral("pin"), QStringLiteral("pin")},
        {QStringLiteral("pencil"), QStringLiteral("pencil")},
        {QStringLiteral("trash"), QStringLiteral("trash")},
        {QStringLiteral("plus"), QStringLiteral("plus-lg")},
        {QStringLiteral("folder"), QStringLiteral("folder")},
        {QStringLiteral("folder.badge.gearshape"), QStringLiteral("folder2-open")},
        {QStringLiteral("ellipsis"), QStringLiteral("three-dots")},
        {QStringLiteral("rectangle.stack"), QStringLiteral("window-stack")},
        {QStringLiteral("app"), QStringLiteral("app")},
    };
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
