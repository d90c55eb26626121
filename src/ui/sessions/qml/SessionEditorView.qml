import QtQuick
import Nimbrel.Screens

// The session editor: the name, the five section cards in a scrolling column and the save
// button; the symbol and whitelist libraries slide over it from the trailing edge.
Item {
    id: editor
    property QtObject model: null

    readonly property bool libraryShown: (model?.isShowingSymbolLibrary ?? false)
                                         || (model?.isShowingWhitelistLibrary ?? false)
    readonly property QtObject motion: model?.motion ?? null

    Item {
        id: form
        objectName: "editorForm"
        anchors.fill: parent
        anchors.margins: 22
        opacity: editor.libraryShown ? 0 : 1
        enabled: !editor.libraryShown
        transform: Translate {
            x: editor.libraryShown ? -32 : 0
            Behavior on x { SpringNumberAnimation { motion: editor.motion } }
        }
        Behavior on opacity { SpringNumberAnimation { motion: editor.motion } }

        Item {
            id: header
            width: parent.width
            height: Math.max(34, titles.implicitHeight)
            SessionBackButton {
                id: backButton
                objectName: "editorBackButton"
                onClicked: if (editor.model) editor.model.cancel()
            }
            Column {
                id: titles
                anchors.left: backButton.right
                anchors.leftMargin: 14
                anchors.right: parent.right
                spacing: 4
                PlainTextField {
                    objectName: "sessionNameField"
                    width: parent.width
                    height: 30
                    text: editor.model?.name ?? ""
                    placeholder: editor.model?.defaultName ?? ""
                    font: Qt.font({ pixelSize: 24, weight: Font.Bold })
                    color: Qt.rgba(1, 1, 1, 0.96)
                    onEdited: text => { if (editor.model) editor.model.name = text }
                }
                Text {
                    width: parent.width
                    text: editor.model?.subtitle ?? ""
                    color: Qt.rgba(1, 1, 1, 0.58)
                    font.pixelSize: 13
                    font.weight: Font.Medium
                    wrapMode: Text.WordWrap
                }
            }
        }

        Flickable {
            id: scroller
            objectName: "editorScroll"
            DirectWheelScroll.enabled: true
            anchors.top: header.bottom
            anchors.topMargin: 18
            anchors.bottom: saveButton.top
            anchors.bottomMargin: 18
            width: parent.width
            clip: true
            contentWidth: width
            contentHeight: sections.implicitHeight + 4
            boundsBehavior: Flickable.StopAtBounds
            Column {
                id: sections
                y: 2
                width: scroller.width
                spacing: 12
                SessionScheduleSection { objectName: "scheduleSection"; section: editor.model?.schedule ?? null }
                SessionWallpaperSection { objectName: "wallpaperSection"; section: editor.model?.wallpaper ?? null }
                SessionSymbolSection { objectName: "symbolSection"; section: editor.model?.symbols ?? null }
                SessionBlockingSection { objectName: "blockingSection"; section: editor.model?.blocking ?? null }
                SessionDockAppsSection { objectName: "dockSection"; section: editor.model?.dockApps ?? null }
            }
        }

        GlassPillButton {
            id: saveButton
            objectName: "saveSessionButton"
            readonly property bool canSave: editor.model?.canSave ?? false
            anchors.bottom: parent.bottom
            width: parent.width
            height: 46
            enabled: canSave
            title: editor.model?.saveTitle ?? "Create Session"
            systemImage: "checkmark"
            symbolSize: 12
            contentSpacing: 10
            foreground: Qt.rgba(1, 1, 1, canSave ? 0.95 : 0.35)
            font: Qt.font({ pixelSize: 13, weight: Font.DemiBold })
            hoverScale: canSave ? 1.015 : 1.0
            highlightLength: 56
            onClicked: if (editor.model) editor.model.save()
        }
    }

    SessionLibraryLayer {
        objectName: "symbolLibraryLayer"
        shown: editor.model?.isShowingSymbolLibrary ?? false
        motion: editor.motion
        SessionSymbolLibrary {
            anchors.fill: parent
            section: editor.model?.symbols ?? null
        }
    }
    SessionLibraryLayer {
        objectName: "whitelistLibraryLayer"
        shown: editor.model?.isShowingWhitelistLibrary ?? false
        motion: editor.motion
        SessionWhitelistLibrary {
            anchors.fill: parent
            section: editor.model?.blocking ?? null
        }
    }
}
