import QtQuick
import Nimbrel.App

// One window of a running application on the simulated Mac.
Item {
    id: win
    property var info: ({ x: 0, y: 0, width: 480, height: 320, title: "", url: "", kind: "document", focused: false })
    signal activated()
    signal closed()
    signal minimized()

    x: info.x
    y: info.y
    width: info.width
    height: info.height

    MouseArea {
        anchors.fill: parent
        onPressed: win.activated()
    }
    EffectLoader {
        anchors.fill: parent
        anchors.topMargin: 10
        Component.onCompleted: setSource(softShadow, {
            glowRadius: Qt.binding(() => win.info.focused ? 28 : 16),
            spread: 0.05,
            cornerRadius: Qt.binding(() => 12 + (win.info.focused ? 28 : 16)),
            color: Qt.binding(() => Qt.rgba(0, 0, 0, win.info.focused ? 0.5 : 0.3))
        })
    }
    Rectangle {
        id: frame
        anchors.fill: parent
        radius: 12
        clip: true
        readonly property bool dark: win.info.kind === "terminal" || win.info.kind === "settings"
        color: win.info.kind === "settings" ? "#232329" : (dark ? "#1E1E22" : "#F4F4F6")
        border.width: 1
        border.color: Qt.rgba(0, 0, 0, 0.35)

        Rectangle {
            id: titleBar
            width: parent.width
            height: 38
            color: frame.dark ? "#2A2A30" : "#E6E6EA"
            radius: 12
            Rectangle {
                anchors.bottom: parent.bottom
                width: parent.width
                height: 12
                color: parent.color
            }
            Row {
                x: 14
                anchors.verticalCenter: parent.verticalCenter
                spacing: 8
                Repeater {
                    model: ["#FF5F57", "#FEBC2E", "#28C840"]
                    delegate: Rectangle {
                        required property string modelData
                        required property int index
                        objectName: ["closeButton", "minimizeButton", "zoomButton"][index]
                        width: 12
                        height: 12
                        radius: 6
                        color: win.info.focused ? modelData : "#B8B8BE"
                        MouseArea {
                            anchors.fill: parent
                            enabled: parent.index < 2
                            onClicked: parent.index === 0 ? win.closed() : win.minimized()
                        }
                    }
                }
            }
            Text {
                anchors.centerIn: parent
                width: parent.width - 200
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideRight
                text: win.info.title
                color: frame.dark ? "#D0D0D8" : "#3A3A40"
                font.pixelSize: 14
                font.weight: Font.DemiBold
            }
        }

        Rectangle {
            visible: win.info.kind === "browser"
            x: 90
            y: 46
            width: parent.width - 180
            height: 28
            radius: 8
            color: "#E2E2E8"
            Text {
                anchors.centerIn: parent
                width: parent.width - 24
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideMiddle
                text: win.info.url
                color: "#55555C"
                font.pixelSize: 13
            }
        }
        AccessibilityPane {
            visible: win.info.kind === "settings" && win.info.title === "Accessibility"
            y: 40
            width: parent.width
        }
        Column {
            visible: win.info.kind !== "settings"
            x: 28
            y: win.info.kind === "browser" ? 100 : 60
            width: parent.width - 56
            spacing: 14
            Repeater {
                model: Math.max(0, Math.min(8, Math.floor((win.height - 120) / 40)))
                delegate: Rectangle {
                    required property int index
                    width: parent.width * (0.45 + ((index * 37) % 50) / 100)
                    height: win.info.kind === "terminal" ? 10 : 14
                    radius: 4
                    color: win.info.kind === "terminal" ? Qt.rgba(0.35, 0.9, 0.5, 0.35) : Qt.rgba(0, 0, 0, 0.07)
                }
            }
        }
    }
}
