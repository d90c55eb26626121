import QtQuick

// The schedule card: the weekdays the session runs on and its daily time window.
SessionSectionCard {
    id: card
    property QtObject section: null
    inset: 12
    spacing: 14

    Column {
        width: parent.width
        spacing: 4
        Text {
            text: "Schedule"
            color: Qt.rgba(1, 1, 1, 0.92)
            font.pixelSize: 15
            font.weight: Font.Bold
        }
        Text {
            width: parent.width
            text: "Runs only during the selected days and time window."
            color: Qt.rgba(1, 1, 1, 0.56)
            font.pixelSize: 12
            font.weight: Font.Medium
            wrapMode: Text.WordWrap
        }
    }

    SessionScheduleBlock {
        title: "Active days"
        Row {
            id: days
            width: parent.width
            spacing: 5
            Repeater {
                model: card.section?.weekdays ?? []
                Item {
                    id: day
                    required property var modelData
                    required property int index
                    readonly property bool isOn: modelData.isOn
                    objectName: "weekday_" + index
                    width: (days.width - days.spacing * 6) / 7
                    height: dayColumn.implicitHeight
                    Accessible.role: Accessible.CheckBox
                    Accessible.checked: isOn
                    Column {
                        id: dayColumn
                        anchors.horizontalCenter: parent.horizontalCenter
                        spacing: 5
                        GlassSurface {
                            anchors.horizontalCenter: parent.horizontalCenter
                            width: 30
                            height: 30
                            cornerRadius: 18
                            Rectangle {
                                anchors.fill: parent
                                radius: 15
                                color: day.isOn ? Qt.rgba(0.19, 0.82, 0.35, 0.24) : Qt.rgba(1, 0.27, 0.23, 0.18)
                                border.width: 1
                                border.color: day.isOn ? Qt.rgba(0.19, 0.82, 0.35, 0.72) : Qt.rgba(1, 0.27, 0.23, 0.55)
                            }
                            Text {
                                anchors.centerIn: parent
                                text: day.modelData.letter
                                color: Qt.rgba(1, 1, 1, day.isOn ? 0.98 : 0.58)
                                font.pixelSize: 12
                                font.weight: Font.ExtraBold
                            }
                        }
                        Text {
                            anchors.horizontalCenter: parent.horizontalCenter
                            text: day.isOn ? "ON" : "OFF"
                            color: day.isOn ? Qt.rgba(0.19, 0.82, 0.35, 0.92) : Qt.rgba(1, 0.27, 0.23, 0.82)
                            font.pixelSize: 8
                            font.weight: Font.ExtraBold
                        }
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: card.section.toggleWeekday(day.index)
                    }
                }
            }
        }
    }

    SessionScheduleBlock {
        title: card.section?.timeWindowTitle ?? ""
        SessionTimePicker {
            objectName: "startTimePicker"
            width: parent.width
            picker: card.section?.start ?? null
        }
        SessionTimePicker {
            objectName: "endTimePicker"
            width: parent.width
            picker: card.section?.end ?? null
        }
    }
}
