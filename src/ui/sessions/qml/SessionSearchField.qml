import QtQuick

// A search row on glass: the magnifying glass and a plain one-line field.
HoverScale {
    id: field
    property string text: ""
    property string placeholder: "Search apps"
    property real glassRadius: 18
    // Between the magnifying glass and the field: 9 on the Dock apps card, 10 in the libraries.
    property real iconSpacing: 9
    signal edited(string text)

    height: 38
    cornerRadius: glassRadius
    hoverScale: 1.0
    animationDuration: 0.16
    highlightLength: 48

    GlassSurface {
        anchors.fill: parent
        cornerRadius: field.glassRadius
        Row {
            anchors.fill: parent
            anchors.leftMargin: 12
            anchors.rightMargin: 12
            spacing: field.iconSpacing
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: "magnifyingglass"
                pointSize: 12
                color: Qt.rgba(1, 1, 1, 0.55)
            }
            PlainTextField {
                objectName: field.objectName.length > 0 ? field.objectName + "Text" : ""
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 12 - field.iconSpacing
                height: 22
                text: field.text
                placeholder: field.placeholder
                font: Qt.font({ pixelSize: 13, weight: Font.DemiBold })
                color: Qt.rgba(1, 1, 1, 0.92)
                onEdited: text => field.edited(text)
            }
        }
    }
}
