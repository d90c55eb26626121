import QtQuick

// One menu-bar symbol in a square of `size`: a system symbol, or one of the program's own
// images in its colours. `picture` is {"isAsset", "name"}; unknown names come as the heart.
Item {
    id: preview
    property var picture: ({})
    property real size: 30
    readonly property bool isAsset: picture?.isAsset ?? false
    readonly property string name: picture?.name ?? "heart.fill"

    width: size
    height: size

    SymbolIcon {
        visible: !preview.isAsset
        anchors.centerIn: parent
        name: preview.isAsset ? "" : preview.name
        pointSize: preview.size * 0.48
        color: Qt.rgba(1, 1, 1, 0.92)
    }
    Image {
        visible: preview.isAsset
        anchors.centerIn: parent
        width: preview.size * 0.58
        height: width
        sourceSize: Qt.size(Math.ceil(width * 2), Math.ceil(width * 2))
        source: preview.isAsset ? "image://symbol/asset/" + preview.name : ""
        fillMode: Image.PreserveAspectFit
        smooth: true
    }
}
