import QtQuick
import Nimbrel.Screens

// The editor's app picker: a back button, the search field and the installed apps, or a
// loading note while the catalogue's scan runs.
Item {
    id: view
    property QtObject editor: null
    readonly property QtObject picker: editor?.picker ?? null

    Item {
        id: header
        width: parent.width
        height: Math.max(34, titles.implicitHeight)
        GlassCircleButton {
            id: back
            objectName: "pickerBackButton"
            systemImage: "arrow.left"
            accessibilityLabel: "Back"
            size: 34
            symbolSize: 14
            symbolWeight: Font.Bold
            hoverScale: 1.02
            highlightLength: 28
            onClicked: view.editor.closeAppPicker()
        }
        Column {
            id: titles
            anchors.left: back.right
            anchors.leftMargin: 14
            anchors.right: parent.right
            spacing: 4
            Text {
                text: "Choose App"
                color: Qt.rgba(1, 1, 1, 0.96)
                font.pixelSize: 24
                font.weight: Font.Bold
            }
            Text {
                width: parent.width
                text: "Select the Dock app that will trigger this rule."
                color: Qt.rgba(1, 1, 1, 0.58)
                font.pixelSize: 13
                font.weight: Font.Medium
                wrapMode: Text.WordWrap
            }
        }
    }
    // Glass only: the search field has no outline and no hover light.
    GlassSurface {
        id: search
        anchors.top: header.bottom
        anchors.topMargin: 16
        width: parent.width
        height: 38
        cornerRadius: 18
        Row {
            x: 12
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 24
            spacing: 9
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: "magnifyingglass"
                pointSize: 12
                color: Qt.rgba(1, 1, 1, 0.55)
            }
            PlainTextField {
                objectName: "appSearchField"
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 21
                text: view.picker?.searchText ?? ""
                placeholder: "Search apps"
                font: Qt.font({ pixelSize: 13, weight: Font.DemiBold })
                onEdited: text => view.picker.searchText = text
            }
        }
    }
    GlassSurface {
        objectName: "loadingApps"
        visible: view.picker?.isLoading ?? false
        anchors.top: search.bottom
        anchors.topMargin: 18
        width: parent.width
        height: loading.implicitHeight + 48
        cornerRadius: 20
        Column {
            id: loading
            anchors.centerIn: parent
            spacing: 10
            SymbolIcon {
                anchors.horizontalCenter: parent.horizontalCenter
                name: "arrow.clockwise.circle"
                pointSize: 16
                color: Qt.rgba(1, 1, 1, 0.6)
                RotationAnimator on rotation {
                    from: 0
                    to: 360
                    duration: 900
                    loops: Animation.Infinite
                    running: view.picker?.isLoading ?? false
                }
            }
            Text {
                text: "Loading apps\u2026"
                color: Qt.rgba(1, 1, 1, 0.58)
                font.pixelSize: 13
                font.weight: Font.DemiBold
            }
        }
    }
    ListView {
        id: list
        objectName: "appList"
        DirectWheelScroll.enabled: true
        visible: !(view.picker?.isLoading ?? false)
        anchors.top: search.bottom
        anchors.topMargin: 16
        anchors.bottom: parent.bottom
        width: parent.width
        topMargin: 2
        bottomMargin: 2
        spacing: 10
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: view.picker?.rowModel ?? null
        delegate: AppPickerRow {
            required property var row
            objectName: "appRow_" + row.bundleIdentifier
            width: ListView.view.width
            app: row
            picker: view.picker
        }
    }
}
