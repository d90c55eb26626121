import QtQuick
import Nimbrel.Screens

// The whitelist library over the editor: the installed apps, whitelisted ones first, with a
// search and a switch for all the apps shown.
Item {
    id: library
    property QtObject section: null

    Item {
        id: header
        width: parent.width
        height: Math.max(34, titles.implicitHeight)
        SessionBackButton {
            id: backButton
            objectName: "whitelistLibraryBackButton"
            onClicked: if (library.section) library.section.closeLibrary()
        }
        Column {
            id: titles
            anchors.left: backButton.right
            anchors.leftMargin: 14
            anchors.right: allRow.left
            anchors.rightMargin: 8
            spacing: 4
            Text {
                text: "Whitelist"
                color: Qt.rgba(1, 1, 1, 0.96)
                font.pixelSize: 24
                font.weight: Font.Bold
            }
            Text {
                width: parent.width
                text: "Allow apps to launch manually without adding them to the session Dock."
                color: Qt.rgba(1, 1, 1, 0.58)
                font.pixelSize: 13
                font.weight: Font.Medium
                wrapMode: Text.WordWrap
            }
        }
        Row {
            id: allRow
            anchors.right: parent.right
            y: 4
            spacing: 7
            ToggleSwitch {
                objectName: "whitelistAllCandidatesSwitch"
                anchors.verticalCenter: parent.verticalCenter
                checked: library.section?.allCandidates ?? false
                onToggled: on => { if (library.section) library.section.allCandidates = on }
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "All"
                color: Qt.rgba(1, 1, 1, 0.58)
                font.pixelSize: 11
                font.weight: Font.Bold
            }
        }
    }
    SessionSearchField {
        id: search
        objectName: "whitelistSearch"
        anchors.top: header.bottom
        anchors.topMargin: 16
        width: parent.width
        glassRadius: 20
        iconSpacing: 10
        text: library.section?.searchText ?? ""
        onEdited: text => { if (library.section) library.section.searchText = text }
    }
    ListView {
        id: rows
        objectName: "whitelistRows"
        DirectWheelScroll.enabled: true
        anchors.top: search.bottom
        anchors.topMargin: 16
        anchors.bottom: parent.bottom
        width: parent.width
        topMargin: 2
        bottomMargin: 2
        spacing: 8
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: library.section?.libraryRows ?? null
        delegate: SessionPickerRow {
            required property var row
            objectName: "whitelistRow_" + row.name
            width: ListView.view.width
            app: row
            onClicked: library.section.toggleWhitelisted(row.key)
        }
    }
}
