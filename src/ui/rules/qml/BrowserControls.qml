import QtQuick

// A website of a browser rule: its address, new tab or new window, and where a new window goes
// (a new tab is never placed). `rowId` names the action (empty: the main one).
Column {
    id: controls
    property QtObject actions: null
    property string rowId: ""
    property string websiteText: ""
    property string openingModeTitle: ""
    property bool opensNewWindow: false
    property string placementTitle: ""
    property string monitorTitle: ""

    spacing: 10

    EditorRowSurface {
        objectName: "websiteRow"
        width: controls.width
        height: 44
        Text {
            anchors.left: parent.left
            anchors.leftMargin: 14
            anchors.verticalCenter: parent.verticalCenter
            text: "Website"
            color: Qt.rgba(1, 1, 1, 0.72)
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
        EditorRowSurface {
            anchors.right: parent.right
            anchors.rightMargin: 14
            anchors.verticalCenter: parent.verticalCenter
            width: Math.min(220, parent.width - 100)
            height: 34
            radius: 17
            outlineOpacity: 0.14
            highlightLength: 42
            PlainTextField {
                objectName: "websiteField"
                anchors.fill: parent
                anchors.leftMargin: 12
                anchors.rightMargin: 12
                text: controls.websiteText
                placeholder: "example.com"
                font: Qt.font({ pixelSize: 13, weight: Font.Bold })
                onEdited: text => controls.actions.setWebsiteText(controls.rowId, text)
            }
        }
    }
    EditorMenuRow {
        objectName: "openAsRow"
        width: controls.width
        title: "Open As"
        value: controls.openingModeTitle
        items: controls.actions?.openingModeMenu ?? []
        onChosen: index => controls.actions.chooseOpeningMode(controls.rowId, index)
    }
    PlacementControls {
        visible: controls.opensNewWindow
        width: controls.width
        actions: controls.actions
        rowId: controls.rowId
        placementTitle: controls.placementTitle
        monitorTitle: controls.monitorTitle
    }
    EditorRowSurface {
        visible: !controls.opensNewWindow
        width: controls.width
        height: note.implicitHeight + 18
        radius: 16
        outlineOpacity: 0
        highlightLength: 34
        Row {
            id: note
            x: 12
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 24
            spacing: 8
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: "rectangle.stack"
                pointSize: 11
                color: Qt.rgba(1, 1, 1, 0.58)
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 19
                text: "Placement applies only when opening a new browser window."
                color: Qt.rgba(1, 1, 1, 0.52)
                font.pixelSize: 12
                font.weight: Font.Medium
                wrapMode: Text.WordWrap
            }
        }
    }
}
