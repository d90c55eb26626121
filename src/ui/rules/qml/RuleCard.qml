import QtQuick
import Nimbrel.Screens

// One rule of the list: its name, the circle buttons, its sentence of pills and, when the
// trigger app is missing, a purple warning and veil. Every button only reports; the screen acts.
HoverScale {
    id: view
    // {id, name, isPinned, stateButton, triggerAppMissing, warningText} from the view model.
    property var card: ({})
    // The sentence's pills, apart from the card: its items stay while the pills do.
    property var pills: []
    property var pauseMenuItems: []
    signal toggleRequested()
    signal resumeRequested()
    signal pauseRequested(string option)
    signal pinRequested()
    signal editRequested()
    signal deleteRequested()

    readonly property string stateButton: card?.stateButton ?? "pauseMenu"
    readonly property bool missing: card?.triggerAppMissing ?? false
    readonly property color purple: Qt.rgba(0.75, 0.35, 0.95, 1)

    // Bindings, not a Column: a Column measures before the next frame, and the list must read
    // a new card's final height when it places it.
    implicitHeight: content.implicitHeight + 32
    // The glass card holds its content: a pill wider than the card is cut at its edge.
    clip: true
    cornerRadius: 24
    hoverScale: 1.006
    animationDuration: 0.16
    highlightLength: 70
    borderWidth: 1.1

    GlassSurface {
        anchors.fill: parent
        cornerRadius: 24
    }
    Item {
        id: content
        x: 16
        y: 16
        width: view.width - 32
        // By the card's own flag: the box's visibility also follows the card's, and reading it
        // here loops back through the list placing the card.
        implicitHeight: view.missing ? warningBox.y + warningBox.height : sentence.y + sentence.height

        Item {
            id: titleRow
            width: parent.width
            height: 28
            Text {
                anchors.left: parent.left
                anchors.right: buttons.left
                anchors.rightMargin: 10
                anchors.verticalCenter: parent.verticalCenter
                text: view.card?.name ?? ""
                color: Qt.rgba(1, 1, 1, 0.95)
                font.pixelSize: 14
                font.weight: Font.Bold
                elide: Text.ElideRight
                maximumLineCount: 1
            }
            Row {
                id: buttons
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                spacing: 10
                GlassCircleButton {
                    id: stateButton
                    objectName: "stateButton"
                    systemImage: view.stateButton === "pauseMenu" ? "pause.fill" : "play.fill"
                    accessibilityLabel: view.stateButton === "enable" ? "Enable rule"
                                        : view.stateButton === "resume" ? "Resume rule" : "Pause rule"
                    size: 28
                    symbolSize: 10.5
                    symbolWeight: Font.Bold
                    onClicked: {
                        if (view.stateButton === "enable")
                            view.toggleRequested()
                        else if (view.stateButton === "resume")
                            view.resumeRequested()
                        else
                            pauseMenu.open(stateButton)
                    }
                }
                GlassCircleButton {
                    objectName: "pinButton"
                    systemImage: view.card?.isPinned ? "pin.fill" : "pin"
                    accessibilityLabel: view.card?.isPinned ? "Unpin rule" : "Pin rule"
                    size: 28
                    symbolSize: 10.5
                    symbolWeight: Font.Bold
                    onClicked: view.pinRequested()
                }
                GlassCircleButton {
                    objectName: "editButton"
                    systemImage: "pencil"
                    accessibilityLabel: "Edit rule"
                    size: 28
                    symbolSize: 10.5
                    symbolWeight: Font.Bold
                    onClicked: view.editRequested()
                }
                GlassCircleButton {
                    objectName: "deleteButton"
                    systemImage: "trash"
                    accessibilityLabel: "Delete rule"
                    size: 28
                    symbolSize: 10.5
                    symbolWeight: Font.Bold
                    isDestructive: true
                    onClicked: view.deleteRequested()
                }
            }
        }
        WrapLayout {
            id: sentence
            y: titleRow.height + 14
            width: parent.width
            height: implicitHeight
            spacing: 6
            Repeater {
                model: view.pills
                delegate: RuleTagPillView {
                    required property var modelData
                    pill: modelData
                    pillHeight: 26
                }
            }
        }
        Rectangle {
            id: warningBox
            visible: view.missing
            y: sentence.y + sentence.height + 14
            width: parent.width
            height: warningText.implicitHeight + 14
            radius: 10
            color: Qt.rgba(view.purple.r, view.purple.g, view.purple.b, 0.14)
            border.width: 1
            border.color: Qt.rgba(view.purple.r, view.purple.g, view.purple.b, 0.3)
            Item {
                x: 10
                y: 7
                width: parent.width - 20
                height: warningText.implicitHeight
                SymbolIcon {
                    id: warningSymbol
                    anchors.verticalCenter: parent.verticalCenter
                    name: "exclamationmark.triangle.fill"
                    pointSize: 10
                    color: Qt.rgba(view.purple.r, view.purple.g, view.purple.b, 0.9)
                }
                Text {
                    id: warningText
                    objectName: "missingAppWarning"
                    anchors.verticalCenter: parent.verticalCenter
                    x: warningSymbol.width + 6
                    width: parent.width - 16
                    text: view.card?.warningText ?? ""
                    color: Qt.rgba(view.purple.r, view.purple.g, view.purple.b, 0.85)
                    font.pixelSize: 11
                    font.weight: Font.Medium
                    wrapMode: Text.WordWrap
                }
            }
        }
    }
    Rectangle {
        visible: view.missing
        anchors.fill: parent
        radius: 24
        color: Qt.rgba(view.purple.r, view.purple.g, view.purple.b, 0.07)
    }
    ChoiceMenu {
        id: pauseMenu
        objectName: "pauseMenu"
        items: view.pauseMenuItems
        minimumWidth: 190
        onChosen: index => view.pauseRequested(view.pauseMenuItems[index].option)
    }
}
