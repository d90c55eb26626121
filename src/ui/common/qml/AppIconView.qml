import QtQuick

// An application's icon as a rounded tile: the app's colour and initials, or the system's
// generic application icon. `icon` is the view model's {generic, filePath, iconPath, title}.
Item {
    id: view
    property var icon: ({})
    property real size: 34
    property real cornerRadius: size * 0.28
    property bool outlined: false

    readonly property bool generic: icon?.generic ?? true
    readonly property string title: icon?.title ?? ""

    function tint(text) {
        let h = 0
        for (let i = 0; i < text.length; ++i)
            h = (h * 131 + text.charCodeAt(i) * 17) % 997
        return Qt.hsla((h % 360) / 360, 0.55, 0.5, 1)
    }
    function initials(text) {
        const words = text.split(" ").filter(w => w.length > 0)
        return words.length > 1 ? words[0][0] + words[1][0] : text.slice(0, 2)
    }

    width: size
    height: size

    Rectangle {
        anchors.fill: parent
        radius: view.cornerRadius
        gradient: Gradient {
            GradientStop {
                position: 0.0
                color: view.generic ? Qt.rgba(0.62, 0.64, 0.70, 1) : Qt.lighter(view.tint(view.title), 1.25)
            }
            GradientStop {
                position: 1.0
                color: view.generic ? Qt.rgba(0.42, 0.44, 0.50, 1) : view.tint(view.title)
            }
        }
        Text {
            visible: !view.generic
            anchors.centerIn: parent
            text: view.initials(view.title)
            color: "white"
            font.pixelSize: Math.max(6, view.size * 0.38)
            font.weight: Font.Bold
        }
        SymbolIcon {
            visible: view.generic
            anchors.centerIn: parent
            name: "app"
            pointSize: view.size * 0.56
            color: Qt.rgba(1, 1, 1, 0.9)
        }
    }
    Rectangle {
        visible: view.outlined
        anchors.fill: parent
        radius: view.cornerRadius
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.12)
    }
}
