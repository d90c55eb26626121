import QtQuick
import Nimbrel.Screens

// The rule editor: its header with the rule's name, the trigger, actions and schedule cards in
// a scrolling area, and the "Save Rule" button; the app picker slides in over it.
Item {
    id: editorView
    property QtObject model: null
    readonly property bool pickerShown: model?.isShowingAppPicker ?? false

    component Card: Item {
        id: card
        default property alias cardContent: cardColumn.data
        property real radius: 18
        property real padding: 12
        property real spacing: 12
        property real highlight: 58
        width: parent ? parent.width : 0
        height: cardColumn.implicitHeight + 2 * padding
        HoverScale {
            anchors.fill: parent
            cornerRadius: card.radius
            hoverScale: 1.0
            highlightLength: card.highlight
            GlassSurface {
                anchors.fill: parent
                cornerRadius: card.radius
            }
        }
        Column {
            id: cardColumn
            x: card.padding
            y: card.padding
            width: card.width - 2 * card.padding
            spacing: card.spacing
        }
    }
    component Caption: Text {
        color: Qt.rgba(1, 1, 1, 0.62)
        font.pixelSize: 12
        font.weight: Font.DemiBold
    }

    Item {
        id: form
        objectName: "editorForm"
        anchors.fill: parent
        anchors.margins: 22
        opacity: editorView.pickerShown ? 0 : 1
        enabled: !editorView.pickerShown
        transform: Translate {
            x: editorView.pickerShown ? -32 : 0
            Behavior on x { SpringNumberAnimation { motion: editorView.model?.motion ?? null } }
        }
        Behavior on opacity { SpringNumberAnimation { motion: editorView.model?.motion ?? null } }

        Item {
            id: header
            width: parent.width
            height: Math.max(34, titles.implicitHeight)
            GlassCircleButton {
                id: back
                objectName: "editorBackButton"
                systemImage: "arrow.left"
                accessibilityLabel: "Back"
                size: 34
                symbolSize: 14
                symbolWeight: Font.Bold
                hoverScale: 1.02
                highlightLength: 28
                onClicked: editorView.model.cancel()
            }
            Column {
                id: titles
                anchors.left: back.right
                anchors.leftMargin: 14
                anchors.right: parent.right
                spacing: 4
                PlainTextField {
                    objectName: "ruleNameField"
                    width: parent.width
                    height: 32
                    text: editorView.model?.name ?? ""
                    placeholder: editorView.model?.defaultName ?? ""
                    color: Qt.rgba(1, 1, 1, 0.96)
                    placeholderColor: Qt.rgba(1, 1, 1, 0.32)
                    font: Qt.font({ pixelSize: 24, weight: Font.Bold })
                    onEdited: text => editorView.model.name = text
                }
                Text {
                    width: parent.width
                    text: editorView.model?.subtitle ?? ""
                    color: Qt.rgba(1, 1, 1, 0.58)
                    font.pixelSize: 13
                    font.weight: Font.Medium
                    wrapMode: Text.WordWrap
                }
            }
        }

        Flickable {
            id: sections
            objectName: "editorSections"
            DirectWheelScroll.enabled: true
            anchors.top: header.bottom
            anchors.topMargin: 16
            anchors.bottom: save.top
            anchors.bottomMargin: 16
            width: parent.width
            contentHeight: container.height + 2
            clip: true
            boundsBehavior: Flickable.StopAtBounds

            Card {
                id: container
                width: sections.width
                radius: 24
                padding: 16
                spacing: 16
                highlight: 78

                Card {
                    objectName: "triggerCard"
                    Text {
                        text: "Trigger"
                        color: Qt.rgba(1, 1, 1, 0.92)
                        font.pixelSize: 15
                        font.weight: Font.Bold
                    }
                    Caption { text: "When I click" }
                    EditorMenuRow {
                        objectName: "clickCountRow"
                        width: parent.width
                        title: "Click Count"
                        value: editorView.model?.clickCountText ?? ""
                        items: editorView.model?.clickCountMenu ?? []
                        onChosen: index => editorView.model.setClickCount(index + 1)
                    }
                    Caption { text: "on app" }
                    EditorRowSurface {
                        objectName: "triggerAppButton"
                        width: parent.width
                        height: 54
                        radius: 20
                        outlineOpacity: 0.12
                        highlightLength: 48
                        AppIconView {
                            id: appIcon
                            x: 12
                            anchors.verticalCenter: parent.verticalCenter
                            icon: editorView.model?.chosenAppIcon ?? ({})
                            size: 34
                            cornerRadius: 10
                            outlined: true
                        }
                        Column {
                            anchors.left: appIcon.right
                            anchors.leftMargin: 12
                            anchors.right: chevron.left
                            anchors.rightMargin: 12
                            anchors.verticalCenter: parent.verticalCenter
                            spacing: 3
                            Text {
                                objectName: "chosenAppName"
                                width: parent.width
                                text: editorView.model?.chosenAppName ?? ""
                                color: Qt.rgba(1, 1, 1, 0.94)
                                font.pixelSize: 14
                                font.weight: Font.Bold
                                elide: Text.ElideRight
                            }
                            // The identifier, or the hint to choose an app: on one line, a
                            // little smaller where it is long, rather than cut.
                            Text {
                                objectName: "chosenAppSubtitle"
                                width: parent.width
                                text: editorView.model?.chosenAppSubtitle ?? ""
                                color: Qt.rgba(1, 1, 1, 0.48)
                                font.pixelSize: 11
                                font.weight: Font.Medium
                                fontSizeMode: Text.HorizontalFit
                                minimumPixelSize: 9
                                elide: Text.ElideRight
                            }
                        }
                        SymbolIcon {
                            id: chevron
                            anchors.right: parent.right
                            anchors.rightMargin: 12
                            anchors.verticalCenter: parent.verticalCenter
                            name: "chevron.right"
                            pointSize: 10.5
                            color: Qt.rgba(1, 1, 1, 0.52)
                        }
                        MouseArea {
                            anchors.fill: parent
                            onClicked: editorView.model.openAppPicker()
                        }
                    }
                    EditorRowSurface {
                        width: parent.width
                        height: hint.implicitHeight + 20
                        radius: 16
                        outlineOpacity: 0
                        highlightLength: 36
                        Row {
                            id: hint
                            x: 12
                            anchors.verticalCenter: parent.verticalCenter
                            width: parent.width - 24
                            spacing: 8
                            SymbolIcon {
                                anchors.verticalCenter: parent.verticalCenter
                                name: editorView.model?.capabilityHintSymbol ?? ""
                                pointSize: 11
                                color: Qt.rgba(1, 1, 1, 0.62)
                            }
                            Text {
                                objectName: "capabilityHint"
                                anchors.verticalCenter: parent.verticalCenter
                                width: parent.width - 19
                                text: editorView.model?.capabilityHint ?? ""
                                color: Qt.rgba(1, 1, 1, 0.54)
                                font.pixelSize: 12
                                font.weight: Font.Medium
                                wrapMode: Text.WordWrap
                            }
                        }
                    }
                }
                Card {
                    objectName: "actionsCard"
                    RuleActionsSection {
                        width: parent.width
                        editor: editorView.model
                    }
                }
                Card {
                    objectName: "scheduleCard"
                    radius: 22
                    padding: 14
                    spacing: 14
                    highlight: 68
                    RuleScheduleSection {
                        width: parent.width
                        schedule: editorView.model?.schedule ?? null
                    }
                }
            }
        }

        GlassPillButton {
            id: save
            objectName: "saveRuleButton"
            anchors.bottom: parent.bottom
            width: parent.width
            height: 46
            title: "Save Rule"
            foreground: Qt.rgba(1, 1, 1, 0.96)
            font: Qt.font({ pixelSize: 13, weight: Font.DemiBold })
            hoverScale: 1.015
            highlightLength: 40
            onClicked: editorView.model.save()
        }
    }

    AppPickerView {
        objectName: "appPicker"
        visible: opacity > 0
        // On its way out it takes no input and its search field gives up the keyboard.
        enabled: editorView.pickerShown
        anchors.fill: parent
        anchors.margins: 22
        editor: editorView.model
        opacity: editorView.pickerShown ? 1 : 0
        transform: Translate {
            x: editorView.pickerShown ? 0 : editorView.width
            Behavior on x { SpringNumberAnimation { motion: editorView.model?.motion ?? null } }
        }
        Behavior on opacity { SpringNumberAnimation { motion: editorView.model?.motion ?? null } }
    }
}
