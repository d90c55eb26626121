import QtQuick

// A folder action of a Finder rule: which folder ("Open"), the custom folder's button while the
// custom choice is made, and where its window goes. `rowId` names the action (empty: the main one).
Column {
    id: controls
    property QtObject actions: null
    property string rowId: ""
    property string folderTitle: ""
    property var folderMenu: []
    property bool isCustomFolder: false
    property string customFolderButtonTitle: ""
    property string placementTitle: ""
    property string monitorTitle: ""

    spacing: 10

    EditorMenuRow {
        objectName: "folderRow"
        width: controls.width
        title: "Open"
        value: controls.folderTitle
        items: controls.folderMenu
        onChosen: index => controls.actions.chooseFolder(controls.rowId, index)
    }
    EditorRowSurface {
        objectName: "customFolderButton"
        visible: controls.isCustomFolder
        width: controls.width
        height: 38
        radius: 19
        outlineOpacity: 0.14
        highlightLength: 42
        Row {
            x: 14
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 28
            spacing: 8
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: "folder.badge.gearshape"
                pointSize: 11
                color: Qt.rgba(1, 1, 1, 0.9)
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 11 - 11 - 16
                text: controls.customFolderButtonTitle
                color: Qt.rgba(1, 1, 1, 0.9)
                font.pixelSize: 13
                font.weight: Font.DemiBold
                elide: Text.ElideRight
            }
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: "ellipsis"
                pointSize: 11
                color: Qt.rgba(1, 1, 1, 0.58)
            }
        }
        MouseArea {
            anchors.fill: parent
            onClicked: controls.actions.chooseCustomFolder(controls.rowId)
        }
    }
    PlacementControls {
        width: controls.width
        actions: controls.actions
        rowId: controls.rowId
        placementTitle: controls.placementTitle
        monitorTitle: controls.monitorTitle
    }
}
