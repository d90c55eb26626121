import QtQuick
import Nimbrel.Screens

// The rules screen: header, the list of rule cards (or the empty state) and the create button;
// the rule editor slides in over it, and the custom pause sheet rises over both.
Item {
    id: screen
    property QtObject model: null
    signal back()

    readonly property bool editorOpen: model?.isEditorOpen ?? false
    readonly property bool animatedIn: model?.hasAnimatedIn ?? false

    width: 360
    height: 500
    opacity: animatedIn ? 1 : 0
    transform: Translate {
        y: screen.animatedIn ? 0 : 10
        Behavior on y { FixedSpringAnimation { response: 0.5; dampingFraction: 0.88 } }
    }
    Behavior on opacity { FixedSpringAnimation { response: 0.5; dampingFraction: 0.88 } }

    Component.onCompleted: if (model) model.appeared()

    HoverScale {
        anchors.fill: parent
        cornerRadius: 26
        hoverScale: 1.0
        animationDuration: 0.16
        highlightLength: 92

        // The panel's card is the screen's glass; a second one here would darken it.
        Item {
            id: listColumn
            objectName: "rulesList"
            anchors.fill: parent
            anchors.margins: 22
            opacity: screen.editorOpen ? 0 : 1
            enabled: !screen.editorOpen
            transform: Translate {
                x: screen.editorOpen ? -32 : 0
                Behavior on x { SpringNumberAnimation { motion: screen.model?.motion ?? null } }
            }
            Behavior on opacity { SpringNumberAnimation { motion: screen.model?.motion ?? null } }

            Item {
                id: header
                width: parent.width
                height: Math.max(34, titles.implicitHeight)
                GlassCircleButton {
                    id: backButton
                    objectName: "backButton"
                    systemImage: "arrow.left"
                    accessibilityLabel: "Back"
                    size: 34
                    symbolSize: 14
                    symbolWeight: Font.Bold
                    hoverScale: 1.02
                    highlightLength: 28
                    onClicked: screen.back()
                }
                Column {
                    id: titles
                    anchors.left: backButton.right
                    anchors.leftMargin: 14
                    anchors.right: parent.right
                    spacing: 4
                    Text {
                        text: "Rules"
                        color: Qt.rgba(1, 1, 1, 0.96)
                        font.pixelSize: 24
                        font.weight: Font.Bold
                    }
                    Text {
                        width: parent.width
                        text: "Create sentence-based automations for apps, folders and window behaviors."
                        color: Qt.rgba(1, 1, 1, 0.58)
                        font.pixelSize: 13
                        font.weight: Font.Medium
                        wrapMode: Text.WordWrap
                    }
                }
            }

            Item {
                id: body
                anchors.top: header.bottom
                anchors.topMargin: 18
                anchors.bottom: createButton.top
                anchors.bottomMargin: 18
                width: parent.width

                Column {
                    id: emptyState
                    objectName: "emptyState"
                    visible: screen.model?.isEmpty ?? true
                    anchors.centerIn: parent
                    width: parent.width
                    spacing: 14
                    HoverScale {
                        anchors.horizontalCenter: parent.horizontalCenter
                        width: 66
                        height: 66
                        cornerRadius: 24
                        hoverScale: 1.0
                        highlightLength: 52
                        GlassSurface {
                            anchors.fill: parent
                            cornerRadius: 24
                            SymbolIcon {
                                anchors.centerIn: parent
                                name: "wand.and.stars"
                                pointSize: 30
                                color: Qt.rgba(1, 1, 1, 0.82)
                            }
                        }
                    }
                    HoverScale {
                        width: parent.width
                        height: emptyText.implicitHeight + 36
                        cornerRadius: 24
                        hoverScale: 1.0
                        highlightLength: 64
                        GlassSurface {
                            anchors.fill: parent
                            cornerRadius: 24
                            Column {
                                id: emptyText
                                anchors.centerIn: parent
                                width: Math.min(300, parent.width - 36)
                                spacing: 6
                                Text {
                                    anchors.horizontalCenter: parent.horizontalCenter
                                    text: "No Rules Yet"
                                    color: Qt.rgba(1, 1, 1, 0.95)
                                    font.pixelSize: 18
                                    font.weight: Font.Bold
                                }
                                Text {
                                    width: parent.width
                                    horizontalAlignment: Text.AlignHCenter
                                    text: "Build sentence-based automations that react to Dock clicks, apps, windows and layouts."
                                    color: Qt.rgba(1, 1, 1, 0.58)
                                    font.pixelSize: 13
                                    font.weight: Font.Medium
                                    wrapMode: Text.WordWrap
                                }
                            }
                        }
                    }
                }

                ListView {
                    id: list
                    objectName: "ruleCards"
                    DirectWheelScroll.enabled: true
                    visible: !emptyState.visible
                    anchors.fill: parent
                    topMargin: 2
                    bottomMargin: 2
                    spacing: 12
                    clip: true
                    boundsBehavior: Flickable.StopAtBounds
                    model: screen.model?.cards ?? null
                    delegate: RuleCard {
                        id: ruleCard
                        card: model.card
                        pills: model.pills
                        objectName: "ruleCard_" + index
                        transform: CardSlide { card: ruleCard; moves: cardMoves }
                        width: ListView.view.width
                        height: implicitHeight
                        pauseMenuItems: screen.model?.pauseMenuItems ?? []
                        onToggleRequested: screen.model.toggleRuleEnabled(card.id)
                        onResumeRequested: screen.model.pauseRule(card.id, "resume")
                        onPauseRequested: option => screen.model.pauseRule(card.id, option)
                        onPinRequested: screen.model.toggleRulePinned(card.id)
                        onEditRequested: screen.model.editRule(card.id)
                        onDeleteRequested: screen.model.deleteRule(card.id)
                    }
                    CardMoves {
                        id: cardMoves
                        model: screen.model
                    }
                    CardInView {
                        view: list
                        model: screen.model
                    }
                    // A deleted card fades out; the cards below slide up (CardSlide).
                    remove: Transition {
                        SpringNumberAnimation { motion: screen.model?.cardsMotion ?? null; property: "opacity"; to: 0 }
                    }
                }
            }

            GlassPillButton {
                id: createButton
                objectName: "createRuleButton"
                anchors.bottom: parent.bottom
                width: parent.width
                height: 46
                title: "Create Rule"
                systemImage: "plus"
                symbolSize: 12
                contentSpacing: 10
                foreground: Qt.rgba(1, 1, 1, 0.95)
                font: Qt.font({ pixelSize: 13, weight: Font.DemiBold })
                hoverScale: 1.015
                highlightLength: 56
                onClicked: if (screen.model) screen.model.createRule()
            }
        }
    }

    Item {
        id: editorLayer
        objectName: "editorLayer"
        // The editor last opened: kept while it slides out.
        property QtObject editor: null
        anchors.fill: parent
        visible: opacity > 0
        opacity: screen.editorOpen ? 1 : 0
        transform: Translate {
            x: screen.editorOpen ? 0 : screen.width
            Behavior on x { SpringNumberAnimation { motion: screen.model?.motion ?? null } }
        }
        Behavior on opacity { SpringNumberAnimation { motion: screen.model?.motion ?? null } }
        function showEditor() {
            if (!screen.model?.editor || screen.model.editor === editorLayer.editor)
                return
            // Every opening is a fresh editor view.
            editorLoader.active = false
            editorLayer.editor = screen.model.editor
            editorLoader.active = true
        }
        Component.onCompleted: showEditor()
        Connections {
            target: screen.model
            function onEditorChanged() { editorLayer.showEditor() }
        }
        Loader {
            id: editorLoader
            anchors.fill: parent
            active: false
            sourceComponent: RuleEditorView {
                model: editorLayer.editor
            }
        }
    }

    Rectangle {
        id: sheetScrim
        visible: screen.model?.isShowingCustomPause ?? false
        anchors.fill: parent
        radius: 26
        color: Qt.rgba(0, 0, 0, 0.35)
        MouseArea { anchors.fill: parent }
        CustomPauseSheet {
            objectName: "customPauseSheet"
            anchors.centerIn: parent
            behind: listColumn
            minutesText: screen.model?.customPauseMinutesText ?? ""
            onMinutesEdited: text => screen.model.customPauseMinutesText = text
            onCancelRequested: screen.model.cancelCustomPause()
            onSaveRequested: screen.model.applyCustomPause()
        }
    }
}
