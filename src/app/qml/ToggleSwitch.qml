import QtQuick

// A switch in the Mac's style. It shows `checked` and asks for the other state on click;
// the owner decides and sets `checked`.
Item {
    id: toggle
    property bool checked: false
    property bool enabled: true
    signal toggled(bool on)

    width: 40
    height: 24
    opacity: enabled ? 1 : 0.5
    Accessible.role: Accessible.CheckBox
    Accessible.checked: checked

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: toggle.checked ? "#30D158" : Qt.rgba(1, 1, 1, 0.18)
        Behavior on color { ColorAnimation { duration: 160 } }
    }
    Rectangle {
        width: parent.height - 4
        height: width
        radius: width / 2
        y: 2
        x: toggle.checked ? parent.width - width - 2 : 2
        color: "white"
        Behavior on x { NumberAnimation { duration: 160; easing.type: Easing.OutCubic } }
    }
    MouseArea {
        anchors.fill: parent
        enabled: toggle.enabled
        onClicked: toggle.toggled(!toggle.checked)
    }
}
