import QtQuick
import Qt5Compat.GraphicalEffects
import Nimbrel.Models

// The floating panel: borderless, rounded, with a soft shadow, hanging under the status item.
// Its frame and content follow the application delegate through `Shell`.
Item {
    id: panel
    property Item backdrop: null
    signal openAccessibilitySettings()

    x: Shell.panelLeft
    y: Shell.panelTop
    width: Shell.panelWidth
    height: Shell.panelHeight
    visible: Shell.panelExists && Shell.panelVisible

    Behavior on y {
        enabled: Shell.frameAnimationMs > 0
        NumberAnimation { duration: Shell.frameAnimationMs; easing.type: Easing.InOutQuad }
    }
    Behavior on height {
        enabled: Shell.frameAnimationMs > 0
        NumberAnimation { duration: Shell.frameAnimationMs; easing.type: Easing.InOutQuad }
    }

    RectangularGlow {
        anchors.fill: parent
        anchors.topMargin: 6
        glowRadius: 18
        spread: 0.1
        cornerRadius: 26 + glowRadius
        color: Qt.rgba(0, 0, 0, 0.45)
    }
    LiquidGlassBackground {
        anchors.fill: parent
        cornerRadius: 26
        fallbackMaterial: "hudWindow"
        backdrop: panel.backdrop
        backdropOrigin: panel.backdrop ? Qt.point(panel.x - panel.backdrop.x, panel.y - panel.backdrop.y) : Qt.point(0, 0)
    }
    Rectangle {
        anchors.fill: parent
        radius: 26
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.12)
    }
    Loader {
        anchors.fill: parent
        active: Shell.panelMode === "menu" && Shell.panelRoot !== null
        sourceComponent: Component {
            NimbrelPanelRootView {
                model: Shell.panelRoot
            }
        }
    }
    Loader {
        anchors.fill: parent
        active: Shell.panelMode === "onboarding"
        sourceComponent: Component {
            OnboardingView {
                onOpenSettings: panel.openAccessibilitySettings()
            }
        }
    }
}
