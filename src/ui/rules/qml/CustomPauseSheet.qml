import QtQuick

// The sheet that asks for a custom pause in minutes. It validates nothing: Pause and Cancel
// report to the screen, which decides whether the sheet closes. Its glass hides the list
// behind it (`behind`, blurred where blurs can be drawn).
Item {
    id: sheet
    property string minutesText: ""
    property Item behind: null
    signal minutesEdited(string text)
    signal cancelRequested()
    signal saveRequested()

    width: 320
    height: 220
    // As the sheet comes up, the keyboard goes to the minutes field.
    onVisibleChanged: if (visible) minutes.focusInput()

    PopoverGlass {
        anchors.fill: parent
        cornerRadius: 24
        surface: sheet.behind
        surfaceOrigin: sheet.behind ? sheet.mapToItem(sheet.behind, 0, 0) : Qt.point(0, 0)
    }
    // The padded content sits in the middle of the sheet's fixed frame.
    Column {
        id: content
        objectName: "customPauseContent"
        x: 22
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width - 44
        spacing: 16
        Text {
            text: "Custom Pause"
            color: Qt.rgba(1, 1, 1, 0.96)
            font.pixelSize: 20
            font.weight: Font.Bold
        }
        Text {
            width: parent.width
            text: "Enter the number of minutes to pause this rule."
            color: Qt.rgba(1, 1, 1, 0.6)
            font.pixelSize: 13
            font.weight: Font.Medium
            wrapMode: Text.WordWrap
        }
        Rectangle {
            width: parent.width
            height: 26
            radius: 6
            color: Qt.rgba(1, 1, 1, 0.08)
            border.width: 1
            border.color: minutes.activeFocusOnInput ? Qt.rgba(0.3, 0.55, 1, 0.9) : Qt.rgba(1, 1, 1, 0.2)
            PlainTextField {
                id: minutes
                objectName: "customPauseMinutes"
                anchors.fill: parent
                anchors.leftMargin: 8
                anchors.rightMargin: 8
                text: sheet.minutesText
                placeholder: "Minutes"
                font: Qt.font({ pixelSize: 13 })
                onEdited: text => sheet.minutesEdited(text)
            }
        }
        Row {
            spacing: 10
            Repeater {
                model: [{ "title": "Cancel", "name": "customPauseCancel" }, { "title": "Pause", "name": "customPausePause" }]
                delegate: Rectangle {
                    required property var modelData
                    required property int index
                    objectName: modelData.name
                    width: label.implicitWidth + 24
                    height: 24
                    radius: 6
                    color: area.pressed ? Qt.rgba(1, 1, 1, 0.22) : Qt.rgba(1, 1, 1, 0.14)
                    border.width: 1
                    border.color: Qt.rgba(1, 1, 1, 0.16)
                    Text {
                        id: label
                        anchors.centerIn: parent
                        text: parent.modelData.title
                        color: Qt.rgba(1, 1, 1, 0.92)
                        font.pixelSize: 13
                    }
                    MouseArea {
                        id: area
                        anchors.fill: parent
                        onClicked: parent.index === 0 ? sheet.cancelRequested() : sheet.saveRequested()
                    }
                }
            }
        }
    }
}
