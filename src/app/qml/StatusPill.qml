import QtQuick

// One pill of the main menu's status row: a symbol and a one-line text.
HoverScale {
    id: pill
    property string symbol: ""
    property color symbolColor: "white"
    property string text: ""
    default property alias trailing: extra.data

    height: 34
    cornerRadius: 17
    hoverScale: 1.006
    animationDuration: 0.16
    highlightLength: 58

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 17
        Row {
            anchors.centerIn: parent
            width: Math.min(implicitWidth, parent.width - 20)
            spacing: 7
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: pill.symbol
                pointSize: pill.symbol === "circle.fill" ? 8 : 12
                color: pill.symbolColor
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: pill.text
                color: Qt.rgba(1, 1, 1, 0.78)
                font.pixelSize: 11
                font.weight: Font.DemiBold
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: 8
            }
            Row {
                id: extra
                anchors.verticalCenter: parent.verticalCenter
                spacing: 5
            }
        }
    }
}
