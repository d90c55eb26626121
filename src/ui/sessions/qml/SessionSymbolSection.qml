import QtQuick

// The menu-bar icon card: a preview of the chosen symbol, the quick set and the way into the
// whole library.
SessionSectionCard {
    id: card
    property QtObject section: null

    Item {
        width: parent.width
        height: 30
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: "Menu Bar Icon"
            color: Qt.rgba(1, 1, 1, 0.92)
            font.pixelSize: 15
            font.weight: Font.Bold
        }
        SessionSymbolPreview {
            objectName: "menuBarIconPreview"
            anchors.right: parent.right
            size: 30
            picture: card.section?.preview ?? ({})
        }
    }
    Text {
        width: parent.width
        text: "Pick an icon for this session. Nimbrel restores its normal menu bar icon when the session ends or is disabled."
        color: Qt.rgba(1, 1, 1, 0.5)
        font.pixelSize: 12
        font.weight: Font.Medium
        wrapMode: Text.WordWrap
    }
    Grid {
        id: quick
        width: parent.width
        columns: 5
        columnSpacing: 8
        rowSpacing: 8
        Repeater {
            model: card.section?.quickCells ?? []
            SessionSymbolGridButton {
                required property var modelData
                objectName: "quickSymbol_" + modelData.name
                width: (quick.width - quick.columnSpacing * 4) / 5
                symbol: modelData
                onClicked: card.section.selectQuickSymbol(modelData.name)
            }
        }
    }
    SessionWideActionLabel {
        objectName: "viewAllSymbolsButton"
        systemImage: "square.grid.3x3"
        title: "View All Symbols"
        onClicked: if (card.section) card.section.openLibrary()
    }
}
