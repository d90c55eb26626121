import QtQuick

// A terminal rule's shell commands: numbered rows run in order in one session, a row to add
// more, and whether the run stops at the first failing command.
Column {
    id: list
    property QtObject commands: null

    spacing: 12

    Text {
        width: list.width
        text: "Commands run in a single shell session in order. State carries over between steps (cd in one command affects the next)."
        color: Qt.rgba(1, 1, 1, 0.58)
        font.pixelSize: 12
        font.weight: Font.Medium
        wrapMode: Text.WordWrap
    }
    EditorRowSurface {
        width: list.width
        height: 42
        radius: 21
        outlineOpacity: 0
        highlightLength: 46
        Text {
            anchors.left: parent.left
            anchors.leftMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            text: "Stop on failure"
            color: Qt.rgba(1, 1, 1, 0.88)
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
        ToggleSwitch {
            objectName: "stopOnFailureSwitch"
            anchors.right: parent.right
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            checked: list.commands?.stopOnFirstFailure ?? true
            onToggled: on => list.commands.stopOnFirstFailure = on
        }
    }
    // Rows come down from above while they fade in and go back up while they fade out; the
    // rows below make room. The list is as tall as its rows: the editor's area scrolls.
    ListView {
        width: list.width
        height: contentHeight
        interactive: false
        spacing: 12
        model: list.commands?.commands ?? null
        add: Transition {
            SpringNumberAnimation { motion: list.commands?.motion ?? null; property: "opacity"; from: 0; to: 1 }
            SpringNumberAnimation { motion: list.commands?.motion ?? null; property: "y"; from: ViewTransition.destination.y - 12 }
        }
        remove: Transition {
            SpringNumberAnimation { motion: list.commands?.motion ?? null; property: "opacity"; to: 0 }
            SpringNumberAnimation { motion: list.commands?.motion ?? null; property: "y"; to: ViewTransition.item ? ViewTransition.item.y - 12 : 0 }
        }
        displaced: Transition {
            SpringNumberAnimation { motion: list.commands?.motion ?? null; property: "y" }
        }
        delegate: EditorRowSurface {
            id: commandRow
            required property var row
            required property int index
            objectName: "commandRow_" + index
            width: ListView.view.width
            height: 38
            radius: 19
            outlineOpacity: 0
            highlightLength: 42
            Text {
                id: number
                x: 12
                width: 20
                anchors.verticalCenter: parent.verticalCenter
                horizontalAlignment: Text.AlignRight
                text: commandRow.row.number
                color: Qt.rgba(1, 1, 1, 0.48)
                font.pixelSize: 11
                font.weight: Font.Bold
                font.family: "monospace"
            }
            PlainTextField {
                objectName: "commandField"
                anchors.left: number.right
                anchors.leftMargin: 8
                anchors.right: remove.visible ? remove.left : parent.right
                anchors.rightMargin: remove.visible ? 8 : 12
                anchors.verticalCenter: parent.verticalCenter
                text: commandRow.row.text
                placeholder: commandRow.row.placeholder
                font: Qt.font({ pixelSize: 13, weight: Font.Medium, family: "monospace" })
                onEdited: text => list.commands.setCommandText(commandRow.row.id, text)
            }
            Item {
                id: remove
                objectName: "removeCommandButton"
                visible: list.commands?.canRemove ?? false
                anchors.right: parent.right
                anchors.rightMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                width: 18
                height: 18
                SymbolIcon {
                    anchors.centerIn: parent
                    name: "minus.circle.fill"
                    pointSize: 14
                    color: Qt.rgba(1, 0.27, 0.23, 0.82)
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: list.commands.removeCommand(commandRow.row.id)
                }
            }
        }
    }
    EditorButton {
        objectName: "addCommandButton"
        width: list.width
        height: 38
        radius: 18
        outlineOpacity: 0.16
        highlightLength: 48
        title: "Add Command"
        systemImage: "plus"
        onClicked: list.commands.addCommand()
    }
}
