import QtQuick
import Nimbrel.Models

// The floating panel: borderless and clear, hanging under the status item. Its screens lie
// on a 360-point glass card with a soft shadow (in the wider onboarding panel, centred).
// Frame and content follow the application delegate through `Shell`.
Item {
    id: panel
    property Item backdrop: null

    x: Shell.panelLeft
    y: Shell.panelTop
    width: Shell.panelWidth
    height: Shell.panelHeight
    visible: Shell.panelExists && Shell.panelVisible

    readonly property bool onboarding: Shell.panelMode === "onboarding"
    readonly property real cardRadius: onboarding ? 28 : 26

    Behavior on y {
        enabled: Shell.frameAnimationMs > 0
        NumberAnimation { duration: Shell.frameAnimationMs; easing.type: Easing.InOutQuad }
    }
    Behavior on height {
        enabled: Shell.frameAnimationMs > 0
        NumberAnimation { duration: Shell.frameAnimationMs; easing.type: Easing.InOutQuad }
    }

    Item {
        id: card
        objectName: "panelCard"
        width: 360
        height: Math.min(500, parent.height)
        anchors.horizontalCenter: parent.horizontalCenter

        EffectLoader {
            anchors.fill: parent
            anchors.topMargin: 6
            Component.onCompleted: setSource("SoftShadow.qml", {
                glowRadius: 18,
                spread: 0.1,
                cornerRadius: Qt.binding(() => panel.cardRadius + 18),
                color: Qt.rgba(0, 0, 0, 0.45)
            })
        }
        LiquidGlassBackground {
            anchors.fill: parent
            cornerRadius: panel.cardRadius
            fallbackMaterial: "hudWindow"
            backdrop: panel.backdrop
            backdropOrigin: panel.backdrop ? Qt.point(panel.x + card.x - panel.backdrop.x, panel.y - panel.backdrop.y)
                                           : Qt.point(0, 0)
        }
        Rectangle {
            anchors.fill: parent
            radius: panel.cardRadius
            color: "transparent"
            border.width: 1
            border.color: Qt.rgba(1, 1, 1, 0.12)
        }
        // By file rather than by type, so that each is compiled when first shown, not at start.
        Loader {
            anchors.fill: parent
            active: Shell.panelMode === "menu" && Shell.panelContent !== null
            Component.onCompleted: setSource("NimbrelPanelRootView.qml", {
                model: Qt.binding(() => Shell.panelContent),
                popupLayer: popups
            })
        }
        Loader {
            anchors.fill: parent
            active: panel.onboarding && Shell.panelContent !== null
            Component.onCompleted: setSource("OnboardingView.qml", {
                model: Qt.binding(() => Shell.panelContent)
            })
        }
    }

    // Once the first frame is out, the idle moments before the panel first opens compile its
    // two first screens and read the font list, so that the first opening waits for neither.
    // The onboarding is also laid out once off screen and thrown away: its faces, sizes and
    // symbols are then loaded when it opens (at start when the permission is missing).
    property var prepared: null
    Timer {
        id: prepare
        interval: 0
        onTriggered: {
            const onboarding = Qt.createComponent("OnboardingView.qml")
            const rehearsal = onboarding.createObject(null, { model: rehearsalModel })
            if (rehearsal) rehearsal.destroy()
            panel.prepared = {
                fonts: Qt.fontFamilies().length,
                onboarding: onboarding,
                menu: Qt.createComponent("NimbrelPanelRootView.qml"),
                mainMenu: Qt.createComponent("NimbrelMenuBarView.qml")
            }
        }
    }
    // What the onboarding shows, in words of about its length; nothing is asked of the system.
    QtObject {
        id: rehearsalModel
        readonly property string title: "Setting up"
        readonly property string instructions: "A sentence or two of instructions, over two lines."
        readonly property string systemImage: "accessibility"
        readonly property bool accessibilityGranted: false
        readonly property bool isPollingForPermission: false
        readonly property bool switchEnabled: true
        readonly property string statusLine: "Not yet enabled"
        readonly property string footerTitle: "Settings"
        readonly property string footerSymbol: "gear"
        function appeared() {}
        function disappeared() {}
    }
    Connections {
        target: panel.Window.window
        enabled: panel.prepared === null && !prepare.running
        function onFrameSwapped() { prepare.start() }
    }

    // The screens' popovers: above the card and not clipped by it, so that one may reach past
    // the panel (inside `area`) as a popover window would. What lies behind a popover is the
    // card and, around it, the backdrop.
    Item {
        id: popups
        objectName: "popoverLayer"
        x: card.x
        y: card.y
        width: card.width
        height: card.height
        readonly property Item surface: card
        readonly property Item backdrop: panel.backdrop
        // This layer's top-left in the backdrop's coordinates.
        readonly property point backdropOrigin: panel.backdrop ? Qt.point(panel.x + x - panel.backdrop.x,
                                                                          panel.y + y - panel.backdrop.y)
                                                               : Qt.point(0, 0)
        readonly property rect area: Qt.rect(Shell.popoverArea.x - x, Shell.popoverArea.y - y,
                                             Shell.popoverArea.width, Shell.popoverArea.height)
    }
}
