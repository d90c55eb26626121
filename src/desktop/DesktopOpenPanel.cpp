#include "desktop/DesktopOpenPanel.h"

#include "desktop/ModalSession.h"

#include <utility>

namespace nimbrel {

DesktopOpenPanel::DesktopOpenPanel(const FileSystem& disk, QObject* parent) : QObject(parent), disk_(disk) {}

DesktopOpenPanel::~DesktopOpenPanel() = default;

std::optional<QStringList> DesktopOpenPanel::run(const OpenPanelRequest& request) {
    if (browser_) return std::nullopt;
    browser_.emplace(disk_, request);
    answer_.reset();
    ModalSession session;
    session_ = &session;
    emit changed();
    // When the program quits the panel closes as cancelled.
    if (!session.run()) finish(std::nullopt);
    session_ = nullptr;
    return std::exchange(answer_, std::nullopt);
}

void DesktopOpenPanel::finish(std::optional<QStringList> answer) {
    answer_ = std::move(answer);
    browser_.reset();
    if (session_) session_->end();
    emit changed();
}

QString DesktopOpenPanel::title() const {
    if (!browser_) return {};
    const QString& title = browser_->request().title;
    return title.isEmpty() ? QStringLiteral("Open") : title;
}

QString DesktopOpenPanel::message() const {
    return browser_ ? browser_->request().message : QString();
}

QString DesktopOpenPanel::prompt() const {
    if (!browser_) return {};
    const QString& prompt = browser_->request().prompt;
    return prompt.isEmpty() ? QStringLiteral("Open") : prompt;
}

QString DesktopOpenPanel::folderName() const {
    return browser_ ? browser_->folderName() : QString();
}

QString DesktopOpenPanel::folderPath() const {
    return browser_ ? browser_->folder() : QString();
}

bool DesktopOpenPanel::canGoUp() const {
    return browser_ && browser_->canGoUp();
}

QVariantList DesktopOpenPanel::places() const {
    QVariantList places;
    if (!browser_) return places;
    for (const sim::OpenPanelPlace& place : browser_->places())
        places.append(QVariantMap{{QStringLiteral("name"), place.name},
                                  {QStringLiteral("path"), place.path},
                                  {QStringLiteral("symbol"), place.symbol},
                                  {QStringLiteral("current"), place.path == browser_->folder()}});
    return places;
}

QVariantList DesktopOpenPanel::items() const {
    QVariantList items;
    if (!browser_) return items;
    for (const sim::OpenPanelItem& item : browser_->items())
        items.append(QVariantMap{{QStringLiteral("name"), item.name},
                                 {QStringLiteral("path"), item.path},
                                 {QStringLiteral("isFolder"), item.isFolder},
                                 {QStringLiteral("enabled"), item.isFolder || item.choosable}});
    return items;
}

QString DesktopOpenPanel::selectedPath() const {
    return browser_ && browser_->selection() ? browser_->selection()->path : QString();
}

bool DesktopOpenPanel::canConfirm() const {
    return browser_ && browser_->canConfirm();
}

void DesktopOpenPanel::select(const QString& path) {
    if (browser_ && browser_->select(path)) emit changed();
}

void DesktopOpenPanel::open(const QString& path) {
    if (!browser_ || !browser_->select(path)) return;
    const sim::OpenPanelItem item = *browser_->selection();
    if (item.isFolder)
        browser_->goTo(item.path);
    else if (item.choosable)
        return finish(QStringList{item.path});
    emit changed();
}

void DesktopOpenPanel::goTo(const QString& folder) {
    if (browser_ && browser_->goTo(folder)) emit changed();
}

void DesktopOpenPanel::goUp() {
    if (browser_ && browser_->goUp()) emit changed();
}

void DesktopOpenPanel::confirm() {
    if (!browser_) return;
    const sim::OpenPanelBrowser::Confirmation c = browser_->confirm();
    if (c.answer) return finish(c.answer);
    if (c.enter) goTo(*c.enter);
}

void DesktopOpenPanel::cancel() {
    if (browser_) finish(std::nullopt);
}

} // namespace nimbrel
