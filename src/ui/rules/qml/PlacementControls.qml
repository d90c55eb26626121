import QtQuick

// Where a rule's window opens: the display ("Monitor", only with two or more screens) and the
// placement on it. `rowId` names the action (empty: the main one).
Column {
    id: controls
    property QtObject actions: null
    property string rowId: ""
    property string placementTitle: ""
    property string monitorTitle: ""

    spacing: 10

    EditorMenuRow {
        objectName: "monitorRow"
        visible: (controls.actions?.monitorMenu ?? []).length > 0
        width: controls.width
        title: "Monitor"
        value: controls.monitorTitle
        items: controls.actions?.monitorMenu ?? []
        onChosen: index => controls.actions.chooseMonitor(controls.rowId, index)
    }
    EditorMenuRow {
        objectName: "placementRow"
        width: controls.width
        title: "Placement"
        value: controls.placementTitle
        items: controls.actions?.placementMenu ?? []
        onChosen: index => controls.actions.choosePlacement(controls.rowId, index)
    }
}
