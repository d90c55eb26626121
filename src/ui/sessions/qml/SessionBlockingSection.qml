import QtQuick
import Nimbrel.Screens

// The app blocking card: the whitelist, the reminder and its lead time, the whitelisted apps
// and the way into the whitelist library.
SessionSectionCard {
    id: card
    property QtObject section: null
    readonly property bool whitelistAll: section?.whitelistAll ?? true
    readonly property var stripApps: section?.stripApps ?? []

    Item {
        width: parent.width
        height: 22
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: "Whitelist"
            color: Qt.rgba(1, 1, 1, 0.92)
            font.pixelSize: 15
            font.weight: Font.Bold
        }
        Text {
            objectName: "whitelistCount"
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
        text: "Apps here will not be added to the session Dock, but can still be opened while this session is active."
        color: Qt.rgba(1, 1, 1, 0.5)
        font.pixelSize: 12
        font.weight: Font.Medium
        wrapMode: Text.WordWrap
    }
    SessionSettingToggleRow {
        objectName: "whitelistAllRow"
        title: "Whitelist All"
        subtitle: card.section?.whitelistAllSubtitle ?? ""
        checked: card.whitelistAll
        onToggled: on => { if (card.section) card.section.whitelistAll = on }
    }
    SessionSettingToggleRow {
        objectName: "remindRow"
        title: "Remind Me"
        subtitle: card.section?.remindSubtitle ?? ""
        checked: card.section?.remind ?? true
        onToggled: on => { if (card.section) card.section.remind = on }
    }
    HoverScale {
        objectName: "reminderRow"
        visible: card.section?.remind ?? true
        width: parent.width
        height: 44
        cornerRadius: 16
        hoverScale: 1.0
        animationDuration: 0.16
        highlightLength: 48
        GlassSurface {
            anchors.fill: parent
            cornerRadius: 16
        }
        Text {
            x: 12
            anchors.verticalCenter: parent.verticalCenter
            text: "Notify me"
            color: Qt.rgba(1, 1, 1, 0.72)
            font.pixelSize: 12
            font.weight: Font.DemiBold
        }
        Row {
            anchors.right: parent.right
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            spacing: 12
            HoverScale {
                id: leadButton
                objectName: "reminderLeadButton"
                anchors.verticalCenter: parent.verticalCenter
                width: leadRow.implicitWidth + 24
                height: 32
                cornerRadius: 16
                hoverScale: 1.0
                animationDuration: 0.16
                highlightLength: 36
                GlassSurface {
                    anchors.fill: parent
                    cornerRadius: 16
                    Row {
                        id: leadRow
                        anchors.centerIn: parent
                        spacing: 6
                        Text {
                            objectName: "reminderLeadLabel"
                            anchors.verticalCenter: parent.verticalCenter
                            text: card.section?.leadLabel ?? ""
                            color: Qt.rgba(1, 1, 1, 0.92)
                            font.pixelSize: 12
                            font.weight: Font.Bold
                        }
                        SymbolIcon {
                            anchors.verticalCenter: parent.verticalCenter
                            name: "chevron.down"
                            pointSize: 9
                            color: Qt.rgba(1, 1, 1, 0.55)
                        }
                    }
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: leadMenu.open(leadButton)
                }
                ChoiceMenu {
                    id: leadMenu
                    objectName: "reminderLeadMenu"
                    items: card.section?.leadChoices ?? []
                    minimumWidth: 140
                    onChosen: index => card.section.selectReminderLead(index)
                }
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "before"
                color: Qt.rgba(1, 1, 1, 0.72)
                font.pixelSize: 12
                font.weight: Font.DemiBold
            }
        }
    }
    GlassSurface {
        objectName: "noWhitelistedApps"
        visible: !card.whitelistAll && card.stripApps.length === 0
        width: parent.width
        height: 36
        cornerRadius: 18
        Text {
            x: 10
            anchors.verticalCenter: parent.verticalCenter
            text: "No extra apps whitelisted."
            color: Qt.rgba(1, 1, 1, 0.45)
            font.pixelSize: 12
            font.weight: Font.Medium
        }
    }
    Flickable {
        objectName: "whitelistStrip"
        DirectWheelScroll.enabled: true
        visible: !card.whitelistAll && card.stripApps.length > 0
        width: parent.width
        height: 46
        clip: true
        contentWidth: stripRow.width + 4
        contentHeight: height
        flickableDirection: Flickable.HorizontalFlick
        boundsBehavior: Flickable.StopAtBounds
        Row {
            id: stripRow
            x: 2
            y: 3
            spacing: 7
            Repeater {
                model: card.stripApps
                HoverScale {
                    required property var modelData
                    width: 38
                    height: 38
                    cornerRadius: 19
                    hoverScale: 1.025
                    animationDuration: 0.16
                    highlightLength: 30
                    GlassSurface {
                        anchors.fill: parent
                        cornerRadius: 19
                        SessionAppIconView {
                            anchors.centerIn: parent
                            size: 28
                            icon: modelData.icon
                        }
                    }
                    HelpTip { text: modelData.name }
                }
            }
            HoverScale {
                visible: (card.section?.stripOverflowText ?? "").length > 0
                width: 38
                height: 38
                cornerRadius: 19
                hoverScale: 1.025
                animationDuration: 0.16
                highlightLength: 30
                GlassSurface {
                    anchors.fill: parent
                    cornerRadius: 19
                    Text {
                        anchors.centerIn: parent
                        text: card.section?.stripOverflowText ?? ""
                        color: Qt.rgba(1, 1, 1, 0.76)
                        font.pixelSize: 11
                        font.weight: Font.Bold
                    }
                }
            }
        }
    }
    SessionWideActionLabel {
        objectName: "manageWhitelistButton"
        visible: !card.whitelistAll
        systemImage: "checklist"
        title: "Manage Whitelist"
        onClicked: if (card.section) card.section.openLibrary()
    }
}
