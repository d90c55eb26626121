#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>

class QQuickItem;
class QQuickWindow;

namespace nimbrel {

struct Platform;
class ScreenPreview;
class VirtualScheduler;

// One picture nimbrel-shot can take: its name, what it shows (for --list and the docs) and how.
struct Shot {
    QString name;
    QString shows;
    std::function<int(const QString& out)> take;
};

// Lets `milliseconds` pass on the event loop, and on the preview's virtual scheduler when there is
// one: work the screens hand to it, such as their entrance, runs too.
void runFor(int milliseconds, VirtualScheduler* scheduler = nullptr);

// Writes the picture (cut to `crop` when given) as a PNG and prints its path.
bool savePicture(const QImage& image, const QString& path, const QRect& crop = {});

// The screens' Mac: a default simulated one on a throw-away disk, with the account's picture in
// its directory record.
std::shared_ptr<void> previewMac(Platform& platform);

// The first visible item named `name` at or under `from`, depth first.
QQuickItem* findItem(QQuickItem* from, const QString& name);
// A person's click on the middle of the item; false when there is none.
bool clickItem(QQuickItem* item);
// Scrolls the flickable named `flickable` so that the item named `section` stands at its top.
bool scrollToItem(QQuickItem* root, const QString& flickable, const QString& section);

// Makes `content`'s window taller until no visible list or form in it scrolls any more: the
// whole content of a screen in one picture.
void growUntilNothingScrolls(QQuickWindow& window, QQuickItem* content, VirtualScheduler* scheduler);

// Draws `content` (QML of one item; `root` is the picture, `wall` its backdrop) over a
// wallpaper-like backdrop, so the glass has something to show through, and saves it once the
// scene has settled and `beforePicture` has run (given the picture's item).
int shootOverBackdrop(ScreenPreview& preview, QSize size, const QString& content, const QVariantMap& properties,
                      const QString& out, const std::function<void(QQuickItem*)>& beforePicture = {});

} // namespace nimbrel
