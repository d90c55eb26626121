import QtQuick

// A system symbol drawn from the bundled icon set, tinted with `color`.
Image {
    id: icon
    property string name: ""
    property color color: "white"
    property real pointSize: 14

    readonly property string hex: {
        const c = icon.color
        const h = v => ("0" + Math.round(v * 255).toString(16)).slice(-2)
        return h(c.r) + h(c.g) + h(c.b)
    }
    width: pointSize
    height: pointSize
    sourceSize: Qt.size(Math.ceil(pointSize * 2), Math.ceil(pointSize * 2))
    source: name.length > 0 ? "image://symbol/" + name + "?color=" + hex : ""
    opacity: icon.color.a
    fillMode: Image.PreserveAspectFit
    smooth: true
}
