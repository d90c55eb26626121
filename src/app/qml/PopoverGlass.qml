import QtQuick

// The glass of a popover or menu that lies over the panel: it blurs what is behind it, the
// panel's card (`surface`) and, where it reaches past the panel, the desktop (`backdrop`), under
// the glass's own tint and a thin outline. Where blurs cannot be drawn it is dense enough that
// nothing behind it reads through.
Item {
    id: glass
    property Item backdrop: null
    // This item's top-left in the backdrop's and in the surface's coordinates.
    property point backdropOrigin: Qt.point(0, 0)
    property Item surface: null
    property point surfaceOrigin: Qt.point(0, 0)
    property real cornerRadius: 20

    EffectLoader {
        id: backdropBlur
        anchors.fill: parent
        wanted: glass.backdrop !== null && glass.visible
        Component.onCompleted: setSource("BackdropBlur.qml", {
            backdrop: Qt.binding(() => glass.backdrop),
            sourceRect: Qt.binding(() => Qt.rect(glass.backdropOrigin.x, glass.backdropOrigin.y, glass.width, glass.height)),
            cornerRadius: Qt.binding(() => glass.cornerRadius)
        })
    }
    EffectLoader {
        anchors.fill: parent
        wanted: glass.surface !== null && glass.visible
        Component.onCompleted: setSource("BackdropBlur.qml", {
            backdrop: Qt.binding(() => glass.surface),
            sourceRect: Qt.binding(() => Qt.rect(glass.surfaceOrigin.x, glass.surfaceOrigin.y, glass.width, glass.height)),
            cornerRadius: Qt.binding(() => glass.cornerRadius)
        })
    }
    LiquidGlassBackground {
        anchors.fill: parent
        cornerRadius: glass.cornerRadius
        fallbackMaterial: "hudWindow"
    }
    Rectangle {
        anchors.fill: parent
        radius: glass.cornerRadius
        color: Qt.rgba(0.1, 0.1, 0.12, backdropBlur.active ? 0 : 0.95)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.14)
    }
}
