import QtQuick

// A full-screen library of the session editor: it moves in from the trailing edge, fading,
// and leaves the same way.
Item {
    id: layer
    property bool shown: false
    property QtObject motion: null
    default property alias content: holder.data

    anchors.fill: parent
    visible: shown || opacity > 0
    // On its way out it takes no input and its fields give up the keyboard.
    enabled: shown
    opacity: shown ? 1 : 0
    Behavior on opacity { SpringNumberAnimation { motion: layer.motion } }
    transform: Translate {
        x: layer.shown ? 0 : layer.width
        Behavior on x { SpringNumberAnimation { motion: layer.motion } }
    }
    Item {
        id: holder
        anchors.fill: parent
        anchors.margins: 22
    }
}
