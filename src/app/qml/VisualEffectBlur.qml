import QtQuick

// A behind-the-content blur. Behind the window it blurs `backdrop` (the desktop under the
// panel) when one is given; within the window it darkens what lies behind. The material
// only picks the tint.
Item {
    id: blur
    property string material: "hudWindow"
    property string blendingMode: "withinWindow"
    property string effectState: "active"
    property Item backdrop: null
    // Where this item's top-left lies in the backdrop's coordinates.
    property point backdropOrigin: Qt.point(0, 0)
    property real cornerRadius: 0

    readonly property color tint: {
        switch (blur.material) {
        case "hudWindow": return Qt.rgba(0.10, 0.10, 0.12, 0.62)
        case "popover": return Qt.rgba(0.13, 0.13, 0.15, 0.70)
        case "sidebar": return Qt.rgba(0.09, 0.09, 0.11, 0.74)
        case "menu": return Qt.rgba(0.12, 0.12, 0.14, 0.72)
        default: return Qt.rgba(0.08, 0.08, 0.10, 0.66)
        }
    }
    readonly property bool blursBackdrop: blendingMode === "behindWindow" && backdrop !== null && visible

    EffectLoader {
        anchors.fill: parent
        wanted: blur.blursBackdrop
        Component.onCompleted: setSource("BackdropBlur.qml", {
            backdrop: Qt.binding(() => blur.backdrop),
            sourceRect: Qt.binding(() => Qt.rect(blur.backdropOrigin.x, blur.backdropOrigin.y, blur.width, blur.height)),
            cornerRadius: Qt.binding(() => blur.cornerRadius)
        })
    }
    Rectangle {
        anchors.fill: parent
        radius: blur.cornerRadius
        color: blur.tint
        opacity: blur.effectState === "inactive" ? 0.85 : 1.0
    }
}
