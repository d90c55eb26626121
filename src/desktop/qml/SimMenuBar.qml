import QtQuick
import Nimbrel.App
import Nimbrel.Models

// One screen's menu bar. The primary screen's holds the status items, Nimbrel's among them.
Rectangle {
    id: bar
    property string appName: ""
    property bool showsStatusItems: false
    signal openSettings()
    color: Qt.rgba(0.08, 0.08, 0.1, 0.55)

    Row {
        anchors.left: parent.left
        anchors.leftMargin: 18
        anchors.verticalCenter: parent.verticalCenter
        spacing: 22
        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            name: "circle.fill"
            pointSize: 14
            color: Qt.rgba(1, 1, 1, 0.9)
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: bar.appName
            color: "white"
            font.pixelSize: 15
            font.weight: Font.Bold
        }
        Repeater {
            model: ["File", "Edit", "View", "Window", "Help"]
            delegate: Text {
                required property string modelData
                anchors.verticalCenter: parent.verticalCenter
                text: modelData
                color: Qt.rgba(1, 1, 1, 0.92)
                font.pixelSize: 15
            }
        }
    }

    Row {
        id: statusItems
        visible: bar.showsStatusItems
        anchors.right: parent.right
        anchors.rightMargin: 14
        anchors.verticalCenter: parent.verticalCenter
        spacing: 6

        Rectangle {
            id: nimbrelItem
            visible: Shell.statusItemVisible
            width: 34
            height: bar.height - 8
            radius: 6
            anchors.verticalCenter: parent.verticalCenter
            color: Shell.panelVisible ? Qt.rgba(1, 1, 1, 0.22) : (itemMouse.containsMouse ? Qt.rgba(1, 1, 1, 0.12) : "transparent")
            Image {
                anchors.centerIn: parent
                width: 18
                height: 18
                sourceSize: Qt.size(36, 36)
                source: Shell.statusIconSource
            }
            MouseArea {
                id: itemMouse
                anchors.fill: parent
                hoverEnabled: true
                onClicked: Shell.statusItemClicked()
            }
            function report() {
                if (!bar.showsStatusItems) return // only the primary screen's bar holds the item
                const p = nimbrelItem.mapToItem(bar.parent, 0, 0)
                Shell.setStatusButtonGeometry(p.x, p.y, nimbrelItem.width, nimbrelItem.height)
            }
            Component.onCompleted: report()
            onVisibleChanged: report()
            Connections {
                target: statusItems
                function onXChanged() { nimbrelItem.report() }
                function onWidthChanged() { nimbrelItem.report() }
            }
        }
        Rectangle {
            width: 30
            height: bar.height - 8
            radius: 6
            anchors.verticalCenter: parent.verticalCenter
            color: settingsMouse.containsMouse ? Qt.rgba(1, 1, 1, 0.12) : "transparent"
            SymbolIcon {
                anchors.centerIn: parent
                name: "gearshape.fill"
                pointSize: 16
                color: Qt.rgba(1, 1, 1, 0.92)
            }
            MouseArea {
                id: settingsMouse
                anchors.fill: parent
                hoverEnabled: true
                onClicked: bar.openSettings()
            }
        }
        Repeater {
            model: ["wifi", "battery.100", "magnifyingglass"]
            delegate: Item {
                required property string modelData
                width: 30
                height: bar.height - 8
                anchors.verticalCenter: parent.verticalCenter
                SymbolIcon {
                    anchors.centerIn: parent
                    name: modelData
                    pointSize: 17
                    color: Qt.rgba(1, 1, 1, 0.92)
                }
            }
        }
    }
}
