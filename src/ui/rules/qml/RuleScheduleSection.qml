import QtQuick

// When the rule may run: always, or on the chosen days within a daily time window; AM/PM
// buttons in a 12-hour locale.
Column {
    id: section
    property QtObject schedule: null
    readonly property bool enabledSchedule: schedule?.scheduleEnabled ?? false
    readonly property bool twelveHour: schedule?.usesTwelveHourClock ?? false
    readonly property color green: Qt.rgba(0.19, 0.82, 0.35, 1)
    readonly property color red: Qt.rgba(1, 0.27, 0.23, 1)

    spacing: 14

    component Card: EditorRowSurface {
        default property alias cardContent: cardColumn.data
        width: section.width
        height: cardColumn.implicitHeight + 24
        radius: 20
        outlineOpacity: 0
        highlightLength: 52
        Column {
            id: cardColumn
            x: 12
            y: 12
            width: parent.width - 24
            spacing: 12
        }
    }
    component Caption: Text {
        color: Qt.rgba(1, 1, 1, 0.66)
        font.pixelSize: 12
        font.weight: Font.Bold
    }
    component PeriodButton: EditorRowSurface {
        id: periodButton
        property string period: "am"
        property string selection: "am"
        signal picked()
        readonly property bool selected: period === selection
        width: 34
        height: 34
        radius: 17
        outlineOpacity: 0
        highlightLength: 32
        Rectangle {
            z: 2
            anchors.fill: parent
            radius: 17
            color: "transparent"
            border.width: 1
            border.color: Qt.rgba(1, 1, 1, periodButton.selected ? 0.46 : 0.12)
        }
        Text {
            anchors.centerIn: parent
            text: periodButton.period.toUpperCase()
            color: Qt.rgba(1, 1, 1, periodButton.selected ? 0.96 : 0.48)
            font.pixelSize: 10
            font.weight: Font.ExtraBold
        }
        MouseArea {
            anchors.fill: parent
            onClicked: periodButton.picked()
        }
    }
    component TimeRow: Row {
        id: timeRow
        property string title: ""
        property string text: ""
        property string period: "am"
        property string fieldName: ""
        signal edited(string text)
        signal periodPicked(string period)
        width: section.width - 24
        spacing: 12
        Text {
            width: 54
            anchors.verticalCenter: parent.verticalCenter
            text: timeRow.title
            color: Qt.rgba(1, 1, 1, 0.72)
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
        EditorRowSurface {
            width: timeRow.width - 54 - 12 - (section.twelveHour ? 12 + 74 : 0)
            height: 36
            radius: 18
            outlineOpacity: 0.12
            highlightLength: 40
            PlainTextField {
                objectName: timeRow.fieldName
                anchors.fill: parent
                anchors.leftMargin: 12
                anchors.rightMargin: 12
                text: timeRow.text
                placeholder: section.schedule?.timePlaceholder ?? ""
                color: Qt.rgba(1, 1, 1, 0.94)
                font: Qt.font({ pixelSize: 13, weight: Font.DemiBold })
                onEdited: text => timeRow.edited(text)
            }
        }
        Row {
            visible: section.twelveHour
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6
            PeriodButton {
                objectName: timeRow.fieldName + "AM"
                period: "am"
                selection: timeRow.period
                onPicked: timeRow.periodPicked("am")
            }
            PeriodButton {
                objectName: timeRow.fieldName + "PM"
                period: "pm"
                selection: timeRow.period
                onPicked: timeRow.periodPicked("pm")
            }
        }
    }

    Item {
        width: section.width
        height: Math.max(titles.implicitHeight, 30)
        Column {
            id: titles
            anchors.left: parent.left
            anchors.right: scheduleSwitch.left
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            spacing: 4
            Text {
                text: "Schedule"
                color: Qt.rgba(1, 1, 1, 0.92)
                font.pixelSize: 15
                font.weight: Font.Bold
            }
            Text {
                width: parent.width
                text: section.schedule?.subtitle ?? ""
                color: Qt.rgba(1, 1, 1, 0.56)
                font.pixelSize: 12
                font.weight: Font.Medium
                wrapMode: Text.WordWrap
            }
        }
        EditorRowSurface {
            id: scheduleSwitch
            objectName: "scheduleSwitch"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            width: 62
            height: 30
            radius: 15
            outlineOpacity: 0
            hoverScale: 1.025
            highlightLength: 30
            Row {
                anchors.centerIn: parent
                spacing: 7
                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 9
                    height: 9
                    radius: 4.5
                    color: section.enabledSchedule ? Qt.rgba(section.green.r, section.green.g, section.green.b, 0.95)
                                                   : Qt.rgba(section.red.r, section.red.g, section.red.b, 0.9)
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: section.enabledSchedule ? "ON" : "OFF"
                    color: Qt.rgba(1, 1, 1, 0.92)
                    font.pixelSize: 11
                    font.weight: Font.ExtraBold
                }
            }
            MouseArea {
                anchors.fill: parent
                onClicked: section.schedule.toggleSchedule()
            }
        }
    }

    Card {
        visible: section.enabledSchedule
        Caption { text: "Active days" }
        Row {
            width: parent.width
            spacing: 4
            Repeater {
                model: section.schedule?.weekdays ?? []
                delegate: Item {
                    id: day
                    required property var modelData
                    required property int index
                    objectName: "weekday_" + index
                    width: (parent.width - 6 * 4) / 7
                    height: dayColumn.implicitHeight
                    readonly property color tone: modelData.isSelected ? section.green : section.red
                    Column {
                        id: dayColumn
                        width: parent.width
                        spacing: 3
                        Item {
                            anchors.horizontalCenter: parent.horizontalCenter
                            width: 28
                            height: 28
                            // The day's colour lies on the glass, not under it.
                            GlassSurface {
                                anchors.fill: parent
                                cornerRadius: 14
                                Rectangle {
                                    anchors.fill: parent
                                    radius: 14
                                    color: Qt.rgba(day.tone.r, day.tone.g, day.tone.b,
                                                   day.modelData.isSelected ? 0.24 : 0.18)
                                    border.width: 1
                                    border.color: Qt.rgba(day.tone.r, day.tone.g, day.tone.b,
                                                          day.modelData.isSelected ? 0.72 : 0.55)
                                }
                            }
                            Text {
                                anchors.centerIn: parent
                                text: day.modelData.letter
                                color: Qt.rgba(1, 1, 1, day.modelData.isSelected ? 0.98 : 0.58)
                                font.pixelSize: 10
                                font.weight: Font.ExtraBold
                            }
                        }
                        Text {
                            anchors.horizontalCenter: parent.horizontalCenter
                            text: day.modelData.isSelected ? "ON" : "OFF"
                            color: Qt.rgba(day.tone.r, day.tone.g, day.tone.b, day.modelData.isSelected ? 0.92 : 0.82)
                            font.pixelSize: 7
                            font.weight: Font.ExtraBold
                        }
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: section.schedule.toggleWeekday(day.index)
                    }
                    HelpTip { text: day.modelData.help }
                }
            }
        }
    }
    Card {
        visible: section.enabledSchedule
        Caption { text: section.schedule?.timeWindowCaption ?? "" }
        TimeRow {
            title: "Starts"
            fieldName: "startField"
            text: section.schedule?.startText ?? ""
            period: section.schedule?.startPeriod ?? "am"
            onEdited: text => section.schedule.startText = text
            onPeriodPicked: period => section.schedule.startPeriod = period
        }
        TimeRow {
            title: "Ends"
            fieldName: "endField"
            text: section.schedule?.endText ?? ""
            period: section.schedule?.endPeriod ?? "pm"
            onEdited: text => section.schedule.endText = text
            onPeriodPicked: period => section.schedule.endPeriod = period
        }
    }
}
