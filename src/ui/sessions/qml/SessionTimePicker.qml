import QtQuick

// A time field of the schedule: its caption, the typed time and, with a 12-hour clock, the
// AM and PM buttons. Every keystroke stores the time it reads.
HoverScale {
    id: timePicker
    property QtObject picker: null
    readonly property bool twelveHour: picker?.twelveHourClock ?? false

    height: 42
    cornerRadius: 17
    hoverScale: 1.0
    animationDuration: 0.16
    highlightLength: 46

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 17
        Rectangle {
            anchors.fill: parent
            radius: 17
            color: "transparent"
            border.width: 1
            border.color: Qt.rgba(1, 1, 1, 0.12)
        }
    }
    Row {
        anchors.fill: parent
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        spacing: 8
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: 48
            text: timePicker.picker?.title ?? ""
            color: Qt.rgba(1, 1, 1, 0.72)
            font.pixelSize: 12
            font.weight: Font.DemiBold
        }
        HoverScale {
            id: fieldBox
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 56 - (periods.visible ? periods.width + 8 : 0)
            height: 32
            cornerRadius: 16
            hoverScale: 1.0
            animationDuration: 0.16
            highlightLength: 38
            GlassSurface {
                anchors.fill: parent
                cornerRadius: 16
                Rectangle {
                    anchors.fill: parent
                    radius: 16
                    color: "transparent"
                    border.width: 1
                    border.color: Qt.rgba(1, 1, 1, 0.14)
                }
                PlainTextField {
                    objectName: timePicker.objectName.length > 0 ? timePicker.objectName + "Field" : ""
                    anchors.fill: parent
                    anchors.leftMargin: 10
                    anchors.rightMargin: 10
                    text: timePicker.picker?.text ?? ""
                    placeholder: timePicker.picker?.placeholder ?? ""
                    font: Qt.font({ pixelSize: 13, weight: Font.Bold })
                    color: Qt.rgba(1, 1, 1, 0.92)
                    onEdited: text => { if (timePicker.picker) timePicker.picker.setText(text) }
                }
            }
        }
        Row {
            id: periods
            visible: timePicker.twelveHour
            anchors.verticalCenter: parent.verticalCenter
            spacing: 5
            Repeater {
                model: ["AM", "PM"]
                HoverScale {
                    id: periodButton
                    required property string modelData
                    readonly property bool chosen: (modelData === "PM") === (timePicker.picker?.isPm ?? false)
                    objectName: timePicker.objectName + modelData
                    width: 30
                    height: 30
                    cornerRadius: 15
                    hoverScale: 1.0
                    animationDuration: 0.16
                    highlightLength: 30
                    GlassSurface {
                        anchors.fill: parent
                        cornerRadius: 15
                        Rectangle {
                            anchors.fill: parent
                            radius: 15
                            color: "transparent"
                            border.width: 1
                            border.color: Qt.rgba(1, 1, 1, periodButton.chosen ? 0.46 : 0.12)
                        }
                        Text {
                            anchors.centerIn: parent
                            text: periodButton.modelData
                            color: Qt.rgba(1, 1, 1, periodButton.chosen ? 0.96 : 0.48)
                            font.pixelSize: 10
                            font.weight: Font.ExtraBold
                        }
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: if (timePicker.picker) timePicker.picker.choosePeriod(periodButton.modelData === "PM")
                    }
                }
            }
        }
    }
}
