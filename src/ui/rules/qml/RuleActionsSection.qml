import QtQuick

// What the rule does, by what its app can do: folders for Finder, websites for browsers,
// commands for terminals, otherwise where the app's window goes.
Column {
    id: section
    property QtObject editor: null
    readonly property QtObject actions: editor?.actions ?? null
    readonly property string block: editor?.actionBlock ?? "universal"

    spacing: 12

    component Heading: Text {
        color: Qt.rgba(1, 1, 1, 0.62)
        font.pixelSize: 12
        font.weight: Font.DemiBold
    }
    component Explanation: Text {
        width: section.width
        color: Qt.rgba(1, 1, 1, 0.58)
        font.pixelSize: 12
        font.weight: Font.Medium
        wrapMode: Text.WordWrap
    }
    component ChildCard: EditorRowSurface {
        default property alias cardContent: cardColumn.data
        width: section.width
        height: cardColumn.implicitHeight + 20
        outlineOpacity: 0
        Column {
            id: cardColumn
            x: 10
            y: 10
            width: parent.width - 20
            spacing: 10
        }
    }
    component WideButton: EditorButton {
        width: section.width
        height: 38
        radius: 18
        outlineOpacity: 0.16
        highlightLength: 48
        systemImage: "plus"
    }
    component RemoveButton: EditorButton {
        height: 34
        radius: 17
        outlineOpacity: 0.14
        highlightLength: 42
        systemImage: "minus.circle.fill"
        foreground: Qt.rgba(1, 0.27, 0.23, 0.9)
    }

    Text {
        text: "Actions"
        color: Qt.rgba(1, 1, 1, 0.92)
        font.pixelSize: 15
        font.weight: Font.Bold
    }

    // Finder
    Heading {
        visible: section.block === "finder"
        text: "Primary Finder action"
    }
    FolderControls {
        visible: section.block === "finder"
        width: section.width
        actions: section.actions
        folderTitle: section.actions?.folderTitle ?? ""
        folderMenu: section.actions?.folderMenu ?? []
        isCustomFolder: section.actions?.isCustomFolder ?? false
        customFolderButtonTitle: section.actions?.customFolderButtonTitle ?? ""
        placementTitle: section.actions?.placementTitle ?? ""
        monitorTitle: section.actions?.monitorTitle ?? ""
    }
    Heading {
        visible: section.block === "finder" && (section.actions?.folderRows?.count ?? 0) > 0
        text: "Child Finder actions"
    }
    Repeater {
        model: section.block === "finder" ? (section.actions?.folderRows ?? null) : null
        delegate: ChildCard {
            id: folderCard
            required property var row
            required property int index
            objectName: "folderChild_" + index
            FolderControls {
                width: parent.width
                actions: section.actions
                rowId: folderCard.row.id
                folderTitle: folderCard.row.folderTitle
                folderMenu: folderCard.row.folderMenu
                isCustomFolder: folderCard.row.isCustomFolder
                customFolderButtonTitle: folderCard.row.customFolderButtonTitle
                placementTitle: folderCard.row.placementTitle
                monitorTitle: folderCard.row.monitorTitle
            }
            RemoveButton {
                objectName: "removeChildButton"
                width: parent.width
                title: "Remove Child Action"
                onClicked: section.actions.removeFinderChildAction(folderCard.row.id)
            }
        }
    }
    WideButton {
        objectName: "addFinderChildButton"
        visible: section.block === "finder"
        title: "Add Finder Child Action"
        onClicked: section.actions.addFinderChildAction()
    }

    // Browsers
    Explanation {
        visible: section.block === "browser"
        text: "Open a website in the selected browser, then place the browser window."
    }
    BrowserControls {
        objectName: "primaryWebsite"
        visible: section.block === "browser"
        width: section.width
        actions: section.actions
        websiteText: section.actions?.websiteText ?? ""
        openingModeTitle: section.actions?.openingModeTitle ?? ""
        opensNewWindow: section.actions?.opensNewWindow ?? false
        placementTitle: section.actions?.placementTitle ?? ""
        monitorTitle: section.actions?.monitorTitle ?? ""
    }
    Heading {
        visible: section.block === "browser" && (section.actions?.websiteRows?.count ?? 0) > 0
        text: "Child Browser actions"
    }
    Repeater {
        model: section.block === "browser" ? (section.actions?.websiteRows ?? null) : null
        delegate: ChildCard {
            id: websiteCard
            required property var row
            required property int index
            objectName: "websiteChild_" + index
            BrowserControls {
                width: parent.width
                actions: section.actions
                rowId: websiteCard.row.id
                websiteText: websiteCard.row.websiteText
                openingModeTitle: websiteCard.row.openingModeTitle
                opensNewWindow: websiteCard.row.opensNewWindow
                placementTitle: websiteCard.row.placementTitle
                monitorTitle: websiteCard.row.monitorTitle
            }
            RemoveButton {
                objectName: "removeChildButton"
                width: parent.width
                title: "Remove Browser Child Action"
                onClicked: section.actions.removeBrowserChildAction(websiteCard.row.id)
            }
        }
    }
    WideButton {
        objectName: "addBrowserChildButton"
        visible: section.block === "browser"
        title: "Add Browser Child Action"
        onClicked: section.actions.addBrowserChildAction()
    }

    // Terminals
    TerminalCommandList {
        visible: section.block === "terminal"
        width: section.width
        commands: section.editor?.terminal ?? null
    }

    // Any other app
    Explanation {
        visible: section.block === "universal"
        text: "Universal app rules can position this app's window when triggered."
    }
    PlacementControls {
        visible: section.block === "universal"
        width: section.width
        actions: section.actions
        placementTitle: section.actions?.placementTitle ?? ""
        monitorTitle: section.actions?.monitorTitle ?? ""
    }
}
