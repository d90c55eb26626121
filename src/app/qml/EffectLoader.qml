import QtQuick

// Loads a shader effect file only where the scene graph can draw it. The software renderer
// draws no shader effects at all, and the effects module costs it a large library, so there
// nothing is loaded and the picture is the same.
Loader {
    id: loader
    property bool wanted: true
    // The shadow file, for loaders declared outside this module.
    readonly property url softShadow: Qt.resolvedUrl("SoftShadow.qml")
    active: wanted && GraphicsInfo.api !== GraphicsInfo.Software && GraphicsInfo.api !== GraphicsInfo.Unknown
}
