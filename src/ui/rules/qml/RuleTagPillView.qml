import QtQuick

// One word of a rule's sentence: a small glass capsule with a symbol (the app's icon, or the
// status dot) and the pill's text. Only the status pill is coloured, by the rule's state.
Item {
    id: view
    // {kind, label, symbol, count, state, icon} from the view model.
    property var pill: ({})
    property real pillHeight: 26

    readonly property string kind: pill?.kind ?? ""
    readonly property string label: pill?.label ?? ""
    readonly property string stateName: pill?.state ?? ""
    readonly property var tints: ({
        "unsupported": { "hue": Qt.rgba(0.75, 0.35, 0.95, 1), "dot": 0.9, "stroke": 0.5, "fill": 0.26 },
        "disabled": { "hue": Qt.rgba(1.0, 0.27, 0.23, 1), "dot": 0.9, "stroke": 0.5, "fill": 0.28 },
        "paused": { "hue": Qt.rgba(1.0, 0.84, 0.04, 1), "dot": 0.95, "stroke": 0.5, "fill": 0.26 },
        "active": { "hue": Qt.rgba(0.19, 0.82, 0.35, 1), "dot": 0.9, "stroke": 0.46, "fill": 0.22 }
    })
    readonly property var tint: tints[stateName] ?? null
    function tinted(opacity) {
        return tint ? Qt.rgba(tint.hue.r, tint.hue.g, tint.hue.b, opacity) : "transparent"
    }

    implicitWidth: content.implicitWidth + 20
    implicitHeight: pillHeight
    width: implicitWidth
    height: implicitHeight

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: view.tint ? view.tinted(view.tint.fill) : "transparent"
    }
    GlassSurface {
        anchors.fill: parent
        cornerRadius: view.pillHeight * 0.5
    }
    Row {
        id: content
        anchors.centerIn: parent
        spacing: 5
        Row {
            id: clickSymbol
            visible: view.kind === "click"
            anchors.verticalCenter: parent.verticalCenter
            spacing: 3
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: "cursorarrow.click"
                pointSize: 10
                color: Qt.rgba(1, 1, 1, 0.65)
            }
            Text {
                visible: (view.pill?.count ?? 1) >= 2
                anchors.verticalCenter: parent.verticalCenter
                text: "\u00d7" + (view.pill?.count ?? 1)
                color: Qt.rgba(1, 1, 1, 0.65)
                font.pixelSize: 10
                font.weight: Font.ExtraBold
            }
        }
        AppIconView {
            visible: view.kind === "app"
            anchors.verticalCenter: parent.verticalCenter
            icon: view.pill?.icon ?? ({})
            size: 16
            cornerRadius: 16 * 0.28
        }
        Item {
            visible: view.kind === "status"
            anchors.verticalCenter: parent.verticalCenter
            width: 7
            height: 7
            Rectangle {
                anchors.fill: parent
                radius: 3.5
                color: view.tint ? view.tinted(view.tint.dot) : "transparent"
            }
        }
        SymbolIcon {
            visible: view.kind !== "click" && view.kind !== "app" && view.kind !== "status"
            anchors.verticalCenter: parent.verticalCenter
            name: view.pill?.symbol ?? ""
            pointSize: 10
            color: Qt.rgba(1, 1, 1, 0.65)
        }
        Text {
            visible: view.label.length > 0
            anchors.verticalCenter: parent.verticalCenter
            text: view.label
            color: Qt.rgba(1, 1, 1, 0.88)
            font.pixelSize: 11
            font.weight: Font.DemiBold
            maximumLineCount: 1
        }
    }
    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: "transparent"
        border.width: 0.5
        border.color: view.tint ? view.tinted(view.tint.stroke) : "transparent"
    }
}
