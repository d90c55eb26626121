import QtQuick
import Qt5Compat.GraphicalEffects

// The blurred piece of `backdrop` under a rounded shape. Loaded only where the scene graph
// draws shader effects (see EffectLoader).
Item {
    id: blur
    property Item backdrop: null
    // The part of the backdrop to blur, in the backdrop's coordinates.
    property rect sourceRect: Qt.rect(0, 0, 0, 0)
    property real cornerRadius: 0

    ShaderEffectSource {
        id: behind
        anchors.fill: parent
        visible: false
        live: true
        sourceItem: blur.backdrop
        sourceRect: blur.sourceRect
    }
    FastBlur {
        id: blurred
        anchors.fill: parent
        visible: false
        source: behind
        radius: 48
        transparentBorder: false
    }
    Rectangle {
        id: shape
        anchors.fill: parent
        radius: blur.cornerRadius
        visible: false
    }
    OpacityMask {
        anchors.fill: parent
        source: blurred
        maskSource: shape
    }
}
