#include "app/ShellController.h"

namespace nimbrel {

ShellController::ShellController(Hooks hooks, QObject* parent) : QObject(parent), hooks_(std::move(hooks)) {}

ShellController::~ShellController() = default;

QString ShellController::panelMode() const {
    return mode_ ? panelModeName(*mode_) : QString();
}

double ShellController::panelTop() const {
    const double primary = hooks_.primaryScreenHeight ? hooks_.primaryScreenHeight() : 0;
    return primary - frame_.maxY();
}

QString ShellController::iconSource(const MenuBarIconImage& image) {
    if (image.kind == MenuBarIconImage::Kind::Asset) return QStringLiteral("image://symbol/asset/") + image.name;
    // Template symbols are tinted like the menu bar's own text.
    return QStringLiteral("image://symbol/") + image.name + QStringLiteral("?color=") + kTemplateTint.mid(1);
}

void ShellController::setStatusButtonGeometry(double left, double top, double width, double height) {
    buttonTopLeft_ = ScreenRect{left, top, width, height};
}

bool ShellController::installStatusItem() {
    statusItemVisible_ = true;
    emit statusItemChanged();
    return true;
}

void ShellController::setStatusIcon(const MenuBarIconImage& image) {
    statusIcon_ = image;
    statusIconSource_ = iconSource(image);
    statusIconIsTemplate_ = image.isTemplate;
    emit statusItemChanged();
}

void ShellController::removeStatusItem() {
    statusItemVisible_ = false;
    emit statusItemChanged();
}

std::optional<ScreenRect> ShellController::statusButtonFrame() const {
    if (!statusItemVisible_ || !buttonTopLeft_) return std::nullopt;
    const double primary = hooks_.primaryScreenHeight ? hooks_.primaryScreenHeight() : 0;
    const ScreenRect& b = *buttonTopLeft_;
    return ScreenRect{b.x, primary - b.y - b.height, b.width, b.height};
}

QRectF ShellController::popoverArea() const {
    const std::optional<ScreenRect> visible = visibleFrameForStatusButton();
    if (!visible) return QRectF(0, 0, frame_.width, frame_.height);
    const double primary = hooks_.primaryScreenHeight ? hooks_.primaryScreenHeight() : 0;
    return QRectF(visible->x - frame_.x, primary - visible->maxY() - panelTop(), visible->width, visible->height);
}

std::optional<ScreenRect> ShellController::visibleFrameForStatusButton() const {
    return hooks_.visibleFrame ? hooks_.visibleFrame() : std::nullopt;
}

void ShellController::createPanel(const ScreenRect& frame) {
    panelExists_ = true;
    frame_ = frame;
    emit panelChanged();
    emit panelFrameChanged();
}

void ShellController::setPanelContent(PanelMode mode) {
    mode_ = mode;
    // The old root goes only after the views built on it have been taken down.
    QObject* old = panelContent_.release();
    if (hooks_.makePanelContent) panelContent_ = hooks_.makePanelContent(mode);
    emit panelContentChanged();
    if (old) old->deleteLater();
}

void ShellController::applyFrame(const ScreenRect& frame, int animationMs) {
    frameAnimationMs_ = animationMs;
    frame_ = frame;
    emit panelFrameChanged();
}

void ShellController::setPanelFrame(const ScreenRect& frame) {
    applyFrame(frame, 0);
}

void ShellController::animatePanelFrame(const ScreenRect& frame, double seconds) {
    applyFrame(frame, static_cast<int>(seconds * 1000));
}

void ShellController::orderPanelFront() {
    panelVisible_ = true;
    emit panelChanged();
}

void ShellController::orderPanelOut() {
    panelVisible_ = false;
    emit panelChanged();
}

void ShellController::closePanel() {
    // Closed, not released: the next show brings the same panel back.
    panelVisible_ = false;
    emit panelChanged();
}

void ShellController::terminate() {
    if (hooks_.terminate) hooks_.terminate();
}

void ShellController::exitProcess(int status) {
    if (hooks_.exitProcess) hooks_.exitProcess(status);
}

} // namespace nimbrel
