import QtQuick
import Nimbrel.Screens

// The symbol library over the editor: a searchable grid of symbols; a marked symbol is used
// only with "Use Selected Symbol".
Item {
    id: library
    property QtObject section: null
    readonly property bool hasPending: section?.hasPendingSymbol ?? false

    Item {
        id: header
        width: parent.width
        height: Math.max(34, titles.implicitHeight)
        SessionBackButton {
            id: backButton
            objectName: "symbolLibraryBackButton"
            onClicked: if (library.section) library.section.closeLibrary()
        }
        Column {
            id: titles
            anchors.left: backButton.right
            anchors.leftMargin: 14
            anchors.right: parent.right
            spacing: 4
            Text {
                text: "Choose Symbol"
                color: Qt.rgba(1, 1, 1, 0.96)
                font.pixelSize: 24
                font.weight: Font.Bold
            }
            Text {
                width: parent.width
                text: "Search SF Symbols and pick one for this session."
                color: Qt.rgba(1, 1, 1, 0.58)
                font.pixelSize: 13
                font.weight: Font.Medium
                wrapMode: Text.WordWrap
            }
        }
    }
    SessionSearchField {
        id: search
        objectName: "symbolSearch"
        anchors.top: header.bottom
        anchors.topMargin: 16
        width: parent.width
        height: 40
        glassRadius: 20
        iconSpacing: 10
        placeholder: "Search symbols"
        text: library.section?.searchText ?? ""
        onEdited: text => { if (library.section) library.section.searchText = text }
    }
    Flickable {
        id: scroller
        DirectWheelScroll.enabled: true
        anchors.top: search.bottom
        anchors.topMargin: 16
        anchors.bottom: useButton.visible ? useButton.top : parent.bottom
        anchors.bottomMargin: useButton.visible ? 16 : 0
        width: parent.width
        clip: true
        contentWidth: width
        contentHeight: grid.implicitHeight + 4
        boundsBehavior: Flickable.StopAtBounds
        Grid {
            id: grid
            objectName: "symbolGrid"
            y: 2
            width: scroller.width
            columns: 5
            columnSpacing: 8
            rowSpacing: 8
            Repeater {
                model: library.section?.libraryCells ?? null
                SessionSymbolGridButton {
                    required property var row
                    objectName: "librarySymbol_" + row.name
                    width: (grid.width - grid.columnSpacing * 4) / 5
                    symbol: row
                    onClicked: library.section.togglePendingSymbol(row.name)
                }
            }
        }
    }
    HoverScale {
        id: useButton
        objectName: "useSelectedSymbolButton"
        visible: library.hasPending
        anchors.bottom: parent.bottom
        width: parent.width
        height: 46
        cornerRadius: 23
        hoverScale: 1.015
        animationDuration: 0.16
        highlightLength: 56
        GlassSurface {
            anchors.fill: parent
            cornerRadius: 23
            Row {
                anchors.centerIn: parent
                spacing: 10
                SessionSymbolPreview {
                    anchors.verticalCenter: parent.verticalCenter
                    size: 24
                    picture: library.section?.pendingPicture ?? ({})
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: "Use Selected Symbol"
                    color: Qt.rgba(1, 1, 1, 0.95)
                    font.pixelSize: 13
                    font.weight: Font.DemiBold
                }
            }
        }
        MouseArea {
            anchors.fill: parent
            onClicked: library.section.applyLibrarySymbol(library.section.pendingSymbolName)
        }
    }
}
