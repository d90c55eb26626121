import QtQuick

// One day of the activity strip: weekday and day of the month in a circle, green when
// selected, with a badge of the day's entries (9 at most).
HoverScale {
    id: cell
    property string weekday: ""
    property int dayNumber: 1
    property bool isSelected: false
    property string badge: ""
    signal clicked()

    width: 60
    height: 60
    cornerRadius: 30
    hoverScale: 1.0
    animationDuration: 0.16
    highlightLength: 42
    borderWidth: 1.1
    Accessible.role: Accessible.Button
    Accessible.name: weekday + " " + dayNumber

    Rectangle {
        id: circle
        width: 54
        height: 54
        anchors.centerIn: parent
        radius: 27
        color: Qt.rgba(1, 1, 1, 0.06)
        Rectangle {
            anchors.fill: parent
            radius: 27
            color: cell.isSelected ? Qt.rgba(0.19, 0.82, 0.35, 0.24) : Qt.rgba(1, 1, 1, 0.04)
            border.width: 1
            border.color: cell.isSelected ? Qt.rgba(0.19, 0.82, 0.35, 0.72) : Qt.rgba(1, 1, 1, 0.11)
        }
        Column {
            anchors.centerIn: parent
            spacing: 2
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                width: 44
                horizontalAlignment: Text.AlignHCenter
                text: cell.weekday
                color: Qt.rgba(1, 1, 1, cell.isSelected ? 0.96 : 0.58)
                font.pixelSize: 8
                font.weight: Font.ExtraBold
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: 6
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: cell.dayNumber
                color: Qt.rgba(1, 1, 1, cell.isSelected ? 0.98 : 0.78)
                font.pixelSize: 18
                font.weight: Font.ExtraBold
            }
        }
    }
    Rectangle {
        visible: cell.badge.length > 0
        width: 15
        height: 15
        radius: 7.5
        x: parent.width - width + 3
        y: parent.height - height + 3
        color: Qt.rgba(0.19, 0.82, 0.35, 0.82)
        border.width: 0.8
        border.color: Qt.rgba(1, 1, 1, 0.22)
        Text {
            anchors.centerIn: parent
            text: cell.badge
            color: Qt.rgba(1, 1, 1, 0.95)
            font.pixelSize: 8
            font.weight: Font.ExtraBold
        }
    }
    MouseArea {
        anchors.fill: circle
        // The hit area is the circle.
        onPressed: mouse => {
            const dx = mouse.x - width / 2
            const dy = mouse.y - height / 2
            mouse.accepted = dx * dx + dy * dy <= width * width / 4
        }
        onClicked: cell.clicked()
    }
}
