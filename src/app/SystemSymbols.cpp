#include "app/SystemSymbols.h"

#include "app/SymbolNames.h"

#include <QSet>
#include <QStringList>

namespace nimbrel {

namespace {
// The symbols a session can show in the menu bar (the sessions' symbol library), by name.
const QSet<QString>& sessionSymbols() {
    static const QSet<QString> names = [] {
        const QStringList list =
            QStringLiteral(
                "heart.fill heart moon.fill moon sun.max.fill sun.max sparkles star.fill star flame.fill "
                "bolt.fill bolt.circle.fill leaf.fill target timer stopwatch.fill alarm.fill lock.fill "
                "lock.open.fill shield.fill brain.head.profile eye.fill hand.raised.fill figure.run figure.walk "
                "figure.mind.and.body cup.and.saucer.fill mug.fill briefcase.fill desktopcomputer laptopcomputer "
                "display keyboard.fill command option control power bell.fill bell.slash.fill "
                "speaker.wave.2.fill speaker.slash.fill music.note headphones mic.fill camera.fill video.fill "
                "doc.text.fill folder.fill tray.fill archivebox.fill paperplane.fill envelope.fill message.fill "
                "bubble.left.fill phone.fill calendar calendar.badge.clock clock.fill hourglass "
                "checkmark.circle.fill xmark.circle.fill plus.circle.fill minus.circle.fill play.fill pause.fill "
                "stop.fill record.circle arrow.triangle.2.circlepath gearshape.fill slider.horizontal.3 "
                "wand.and.stars paintbrush.fill pencil scribble book.fill bookmark.fill tag.fill flag.fill "
                "pin.fill paperclip link globe network wifi antenna.radiowaves.left.and.right location.fill "
                "map.fill car.fill bicycle airplane house.fill building.2.fill cart.fill creditcard.fill "
                "gift.fill shippingbox.fill person.fill person.2.fill person.crop.circle.fill "
                "hands.sparkles.fill gamecontroller.fill puzzlepiece.fill hammer.fill "
                "wrench.and.screwdriver.fill scissors ruler.fill eyedropper.full trash.fill externaldrive.fill "
                "internaldrive.fill icloud.fill square.grid.2x2.fill square.grid.3x3.fill "
                "rectangle.grid.1x2.fill dock.rectangle menubar.rectangle macwindow app.fill apps.iphone iphone "
                "ipad apple.logo")
                .split(QLatin1Char(' '));
        return QSet<QString>(list.begin(), list.end());
    }();
    return names;
}
} // namespace

bool isSystemSymbol(const QString& name) {
    return sessionSymbols().contains(name) || symbolIconFile(name).has_value();
}

} // namespace nimbrel
