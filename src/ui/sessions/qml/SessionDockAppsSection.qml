import QtQuick
import Nimbrel.Screens

// The Dock apps card: the session's Dock as a strip and as an ordered list with arrows, and
// the searchable picker of apps. Finder always comes first and stays.
SessionSectionCard {
    id: card
    property QtObject section: null

    Item {
        width: parent.width
        height: 22
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: "Session Apps"
            color: Qt.rgba(1, 1, 1, 0.92)
            font.pixelSize: 15
            font.weight: Font.Bold
        }
        Text {
            objectName: "dockAppsCount"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: card.section?.countText ?? ""
            color: Qt.rgba(1, 1, 1, 0.48)
            font.pixelSize: 11
            font.weight: Font.Bold
        }
    }
    Text {
        width: parent.width
        text: "Toggle the apps that should replace your normal Dock during this session. Use the arrows to set their Dock order."
        color: Qt.rgba(1, 1, 1, 0.5)
        font.pixelSize: 12
        font.weight: Font.Medium
        wrapMode: Text.WordWrap
    }
    GlassSurface {
        width: parent.width
        height: 74
        cornerRadius: 20
        HorizontalWheelScrollView {
            objectName: "dockAppsStrip"
            anchors.fill: parent
            stripHeight: 74
            helpText: "Scroll up or down to move through session apps"
            Row {
                padding: 10
                spacing: 9
                Repeater {
                    model: card.section?.tiles ?? null
                    Column {
                        required property var row
                        objectName: "dockStripTile"
                        spacing: 6
                        SessionAppIconView {
                            anchors.horizontalCenter: parent.horizontalCenter
                            size: 34
                            icon: row.icon
                        }
                        // A name a little too long for the tile shrinks; a much longer one is cut.
                        Text {
                            width: 52
                            horizontalAlignment: Text.AlignHCenter
                            text: row.name
                            textFormat: Text.PlainText
                            color: Qt.rgba(1, 1, 1, 0.72)
                            font.pixelSize: 10
                            font.weight: Font.DemiBold
                            fontSizeMode: Text.HorizontalFit
                            minimumPixelSize: 8
                            elide: Text.ElideRight
                        }
                    }
                }
            }
        }
    }
    GlassSurface {
        width: parent.width
        height: orderColumn.implicitHeight + 20
        cornerRadius: 18
        Column {
            id: orderColumn
            x: 10
            y: 10
            width: parent.width - 20
            spacing: 8
            Text {
                text: "Dock Order"
                color: Qt.rgba(1, 1, 1, 0.62)
                font.pixelSize: 12
                font.weight: Font.Bold
            }
            ListView {
                id: orderRows
                objectName: "dockOrderRows"
                width: parent.width
                height: contentHeight
                interactive: false
                spacing: 7
                model: card.section?.orderRows ?? null
                SpringCurve { id: orderSpring; response: 0.18; dampingFraction: 0.79 }
                // Rows that come or go fade as they move from or to above their place; the
                // others slide to their new places on the same spring.
                add: Transition {
                    NumberAnimation { property: "opacity"; from: 0; to: 1; duration: orderSpring.duration }
                    NumberAnimation {
                        property: "y"
                        from: ViewTransition.destination.y - 44 // a row's height
                        duration: orderSpring.duration
                        easing.type: orderSpring.easingType
                        easing.overshoot: orderSpring.overshoot
                    }
                }
                remove: Transition {
                    NumberAnimation { property: "opacity"; to: 0; duration: orderSpring.duration }
                    NumberAnimation {
                        property: "y"
                        to: ViewTransition.item ? ViewTransition.item.y - 44 : 0
                        duration: orderSpring.duration
                    }
                }
                displaced: Transition {
                    NumberAnimation {
                        property: "y"
                        duration: orderSpring.duration
                        easing.type: orderSpring.easingType
                        easing.overshoot: orderSpring.overshoot
                    }
                }
                move: Transition {
                    NumberAnimation {
                        property: "y"
                        duration: orderSpring.duration
                        easing.type: orderSpring.easingType
                        easing.overshoot: orderSpring.overshoot
                    }
                }
                delegate: SessionPickerRow {
                    id: orderRow
                    required property var row
                    objectName: "dockOrderRow_" + row.name
                    width: orderRows.width
                    app: row
                    iconSize: 28
                    rowHeight: 44
                    radius: 17
                    nameSize: 12
                    nameOpacity: 0.9
                    subtitleSize: 10
                    highlightLength: 40
                    onClicked: card.section.unselectDockApp(row.key)
                    Row {
                        topPadding: 3
                        bottomPadding: 3
                        leftPadding: 2
                        rightPadding: 2
                        spacing: 7
                        SessionTinyCircleButton {
                            objectName: "moveUp"
                            systemImage: "chevron.up"
                            isEnabled: orderRow.row.canMoveUp
                            onClicked: card.section.moveDockApp(orderRow.row.key, -1)
                        }
                        SessionTinyCircleButton {
                            objectName: "moveDown"
                            systemImage: "chevron.down"
                            isEnabled: orderRow.row.canMoveDown
                            onClicked: card.section.moveDockApp(orderRow.row.key, 1)
                        }
                    }
                }
            }
        }
    }
    SessionSearchField {
        objectName: "dockAppSearch"
        width: parent.width
        glassRadius: 18
        text: card.section?.searchText ?? ""
        onEdited: text => { if (card.section) card.section.searchText = text }
    }
    Column {
        objectName: "dockAppPicker"
        width: parent.width
        spacing: 8
        Repeater {
            model: card.section?.pickerRows ?? null
            SessionPickerRow {
                required property var row
                objectName: "pickerRow_" + row.name
                width: parent.width
                app: row
                onClicked: card.section.togglePickerApp(row.key)
            }
        }
    }
}
