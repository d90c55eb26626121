import QtQuick
import Nimbrel.Screens

// The sessions screen: header, the session cards (or the empty state) and the create button;
// the session editor slides in over it from the trailing edge.
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
            id: listPane
            objectName: "sessionsList"
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
                SessionBackButton {
                    id: backButton
                    objectName: "backButton"
                    onClicked: screen.back()
                }
                Column {
                    id: titles
                    anchors.left: backButton.right
                    anchors.leftMargin: 14
                    anchors.right: parent.right
                    spacing: 4
                    Text {
                        text: "Sessions"
                        color: Qt.rgba(1, 1, 1, 0.96)
                        font.pixelSize: 24
                        font.weight: Font.Bold
                    }
                    Text {
                        width: parent.width
                        text: "Adapt your Dock and block distracting apps during scheduled work modes."
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
                                name: "dock.rectangle"
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
                                    text: "No Sessions Yet"
                                    color: Qt.rgba(1, 1, 1, 0.95)
                                    font.pixelSize: 18
                                    font.weight: Font.Bold
                                }
                                Text {
                                    width: parent.width
                                    horizontalAlignment: Text.AlignHCenter
                                    text: "Create a session to show only selected apps in the Dock and block anything outside that focus mode."
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
                    objectName: "sessionCards"
                    DirectWheelScroll.enabled: true
                    visible: !emptyState.visible
                    anchors.fill: parent
                    topMargin: 2
                    bottomMargin: 2
                    spacing: 12
                    clip: true
                    boundsBehavior: Flickable.StopAtBounds
                    model: screen.model?.cards ?? null
                    delegate: SessionCard {
                        id: sessionCard
                        required property var row
                        required property int index
                        card: row
                        objectName: "sessionCard_" + index
                        transform: CardSlide { card: sessionCard; moves: cardMoves }
                        width: ListView.view.width
                        onToggleRequested: screen.model.toggleSessionEnabled(row.key)
                        onPinRequested: screen.model.toggleSessionPinned(row.key)
                        onEditRequested: screen.model.editSession(row.key)
                        onDeleteRequested: screen.model.deleteSession(row.key)
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
                objectName: "createSessionButton"
                anchors.bottom: parent.bottom
                width: parent.width
                height: 46
                title: "Create Session"
                systemImage: "plus"
                symbolSize: 12
                contentSpacing: 10
                foreground: Qt.rgba(1, 1, 1, 0.95)
                font: Qt.font({ pixelSize: 13, weight: Font.DemiBold })
                hoverScale: 1.015
                highlightLength: 56
                onClicked: if (screen.model) screen.model.createSession()
            }
        }

        Loader {
            id: editorLoader
            objectName: "sessionEditorLoader"
            // Slides in from the trailing edge, fading, and leaves the same way.
            property real slide: 0
            property bool leaving: false
            anchors.fill: parent
            active: screen.editorOpen || leaving
            opacity: 1 - slide
            transform: Translate { x: editorLoader.slide * editorLoader.width }
            sourceComponent: SessionEditorView {}
            onLoaded: {
                item.model = screen.model?.editor ?? null
                slide = 1
                slideIn.restart()
            }
            SpringNumberAnimation {
                id: slideIn
                target: editorLoader
                property: "slide"
                to: 0
                motion: screen.model?.motion ?? null
            }
            SpringNumberAnimation {
                id: slideOut
                target: editorLoader
                property: "slide"
                to: 1
                motion: screen.model?.motion ?? null
                onFinished: editorLoader.leaving = false
            }
            Connections {
                target: screen
                function onEditorOpenChanged() {
                    if (screen.editorOpen || !editorLoader.item || !(screen.model?.motion?.animated ?? false))
                        return
                    editorLoader.leaving = true
                    slideOut.restart()
                }
            }
        }
    }
}
