import QtQuick

// An application's icon as a rounded tile, the same on every screen: the app's picture where
// one can be drawn, else its initials on its own colour, or the system's generic application
// icon. `icon` is the view model's {generic, title, initials, tint, source}.
Item {
    id: view
    property var icon: ({})
    property real size: 34
    property real cornerRadius: size * 0.28
    property bool outlined: false

    readonly property bool generic: icon?.generic ?? true
    readonly property string source: icon?.source ?? ""
    // A file that cannot be drawn after all shows the tile as if there were none.
    readonly property bool pictureShown: source.length > 0 && picture.status !== Image.Error

    width: size
    height: size

    Rectangle {
        visible: !view.pictureShown
        anchors.fill: parent
        radius: view.cornerRadius
        gradient: Gradient {
            GradientStop {
                position: 0.0
                color: view.generic ? Qt.rgba(0.62, 0.64, 0.70, 1) : Qt.lighter(view.icon.tint, 1.25)
            }
            GradientStop {
                position: 1.0
                color: view.generic ? Qt.rgba(0.42, 0.44, 0.50, 1) : view.icon.tint
            }
        }
        Text {
            visible: !view.generic
            anchors.centerIn: parent
            text: view.icon?.initials ?? ""
            textFormat: Text.PlainText
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
    Image {
        id: picture
        objectName: "appIconPicture"
        visible: view.pictureShown
        anchors.fill: parent
        // Cut round as it is decoded (AppIconPictures), the tile's corners clear.
        source: view.source.length > 0
                ? "image://appicon/" + (view.cornerRadius / view.size) + "/" + encodeURIComponent(view.source)
                : ""
        fillMode: Image.PreserveAspectFit
        sourceSize: Qt.size(width * 2, height * 2)
        smooth: true
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
