import QtQuick
import Nimbrel.App
import Nimbrel.DesktopModels

// The Dock: its glass shelf and tiles. Presses go to the Mac's mouse, so Nimbrel's engine
// sees them as it would on a real desktop; holding a press is a long press there too.
Item {
    id: dock
    // The desktop view, whose points the model turns into the Mac's.
    property Item view: null
    x: Desktop.dockArea.x
    y: Desktop.dockArea.y
    width: Desktop.dockArea.width
    height: Desktop.dockArea.height

    Rectangle {
        anchors.fill: parent
        anchors.topMargin: 4
        radius: 22
        color: Qt.rgba(0.14, 0.14, 0.17, 0.5)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.18)
    }

    function tileColour(title) {
        let h = 0
        for (let i = 0; i < title.length; ++i)
            h = (h * 131 + title.charCodeAt(i) * 17) % 997
        return Qt.hsla((h % 360) / 360, 0.55, 0.5, 1)
    }
    function initials(title) {
        const words = title.split(" ").filter(w => w.length > 0)
        return words.length > 1 ? words[0][0] + words[1][0] : title.slice(0, 2)
    }

    Repeater {
        model: Desktop.dockTiles
        delegate: Item {
            id: tile
            required property var modelData
            x: modelData.x - dock.x
            y: modelData.y - dock.y
            width: modelData.width
            height: modelData.height
            readonly property bool isSeparator: modelData.kind === "separator"

            Rectangle {
                visible: tile.isSeparator
                anchors.centerIn: parent
                width: 1.5
                height: parent.height * 0.6
                color: Qt.rgba(1, 1, 1, 0.3)
            }
            Item {
                id: icon
                visible: !tile.isSeparator
                anchors.centerIn: parent
                width: Math.min(parent.width, parent.height) * 0.84
                height: width
                scale: press.pressed ? 0.88 : 1
                // An application's picture, or its initials, as every screen draws an app.
                AppIconView {
                    visible: tile.modelData.kind === "application"
                    anchors.fill: parent
                    size: parent.width
                    cornerRadius: parent.width * 0.23
                    icon: ({
                        generic: false,
                        title: tile.modelData.title,
                        initials: dock.initials(tile.modelData.title),
                        tint: dock.tileColour(tile.modelData.title),
                        source: tile.modelData.iconSource ?? ""
                    })
                }
                Rectangle {
                    visible: tile.modelData.kind !== "application"
                    anchors.fill: parent
                    radius: width * 0.23
                    gradient: Gradient {
                        GradientStop { position: 0.0; color: Qt.lighter(dock.tileColour(tile.modelData.title), 1.25) }
                        GradientStop { position: 1.0; color: dock.tileColour(tile.modelData.title) }
                    }
                    SymbolIcon {
                        anchors.centerIn: parent
                        name: tile.modelData.kind === "trash" ? "trash.fill" : "folder.fill"
                        pointSize: parent.width * 0.5
                        color: "white"
                    }
                }
            }
            Rectangle {
                visible: tile.modelData.running
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.bottom
                anchors.bottomMargin: -2
                width: 5
                height: 5
                radius: 2.5
                color: Qt.rgba(1, 1, 1, 0.85)
            }
            Rectangle {
                visible: press.containsMouse && !tile.isSeparator
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.top
                anchors.bottomMargin: 8
                width: label.implicitWidth + 20
                height: 28
                radius: 8
                color: Qt.rgba(0.12, 0.12, 0.14, 0.9)
                Text {
                    id: label
                    anchors.centerIn: parent
                    text: tile.modelData.title
                    color: "white"
                    font.pixelSize: 13
                }
            }
            MouseArea {
                id: press
                anchors.fill: parent
                enabled: !tile.isSeparator
                hoverEnabled: true
                onPressed: mouse => {
                    const p = mapToItem(dock.view, mouse.x, mouse.y)
                    Desktop.pressedInView(p.x, p.y)
                }
                onReleased: mouse => {
                    const p = mapToItem(dock.view, mouse.x, mouse.y)
                    Desktop.releasedInView(p.x, p.y)
                }
            }
        }
    }
}
