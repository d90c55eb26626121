import QtQuick
import Nimbrel.App
import Nimbrel.DesktopModels

// Every screen of the simulated Mac in its arrangement, scaled down to fit the view and
// centred in it (the model's viewport); inside, the Mac's points.
Item {
    id: view
    clip: true
    onWidthChanged: Desktop.setViewSize(width, height)
    onHeightChanged: Desktop.setViewSize(width, height)
    Component.onCompleted: Desktop.setViewSize(width, height)

    Item {
        id: desk
        x: Desktop.viewX
        y: Desktop.viewY
        width: Desktop.width
        height: Desktop.height
        scale: Desktop.viewScale
        transformOrigin: Item.TopLeft

        // Everything below is placed from the primary screen's top-left.
        Item {
            id: origin
            x: -Desktop.left
            y: -Desktop.top

            // What the panel's glass blurs: the wallpapers and the windows.
            Item {
                id: backdropLayer
                x: Desktop.left
                y: Desktop.top
                width: Desktop.width
                height: Desktop.height

            Item {
                id: wallpapers
                x: -Desktop.left
                y: -Desktop.top
                Repeater {
                    model: Desktop.screens
                    // The software renderer caches every gradient or rounded rectangle as a
                    // picture of its full size; a screen-sized wallpaper would cost megabytes.
                    // So the gradient is a one-point-wide strip stretched sideways (each row is
                    // one colour, so nothing changes), and the faint disc is drawn smaller and
                    // scaled up.
                    delegate: Item {
                        id: wallpaper
                        required property var modelData
                        x: modelData.x
                        y: modelData.y
                        width: modelData.width
                        height: modelData.height
                        Rectangle {
                            width: 1
                            height: wallpaper.height
                            transformOrigin: Item.TopLeft
                            transform: Scale { xScale: wallpaper.width }
                            gradient: Gradient {
                                GradientStop { position: 0.0; color: wallpaper.modelData.wallpaperTop }
                                GradientStop { position: 1.0; color: wallpaper.modelData.wallpaperBottom }
                            }
                        }
                        Rectangle {
                            id: disc
                            readonly property real diameter: wallpaper.width * 0.6
                            x: wallpaper.width * 0.55
                            y: wallpaper.height * 0.15
                            width: 256
                            height: 256
                            radius: 128
                            antialiasing: true
                            transformOrigin: Item.TopLeft
                            transform: Scale { xScale: disc.diameter / 256; yScale: disc.diameter / 256 }
                            color: Qt.rgba(1, 1, 1, 0.05)
                        }
                    }
                }
            }

            Item {
                x: -Desktop.left
                y: -Desktop.top
                Repeater {
                    model: Desktop.windows
                    delegate: SimWindow {
                        required property var modelData
                        info: modelData
                        onActivated: Desktop.windowClicked(modelData.pid, modelData.windowId)
                        onClosed: Desktop.closeWindow(modelData.pid, modelData.windowId)
                        onMinimized: Desktop.minimizeWindow(modelData.pid, modelData.windowId)
                    }
                }
            }
            }

            Repeater {
                model: Desktop.screens
                delegate: SimMenuBar {
                    required property var modelData
                    x: modelData.x
                    y: modelData.y
                    width: modelData.width
                    height: modelData.menuBarHeight
                    appName: Desktop.frontmostAppName
                    showsStatusItems: modelData.isPrimary
                    onOpenSettings: Desktop.openAccessibilitySettings()
                }
            }

            SimDock {
                view: view
            }

            NimbrelPanel {
                backdrop: backdropLayer
            }

            // The Mac's open panel and alerts, over every screen and centred on the primary one;
            // an alert raised while the panel is up comes over it.
            Item {
                id: modal
                readonly property var primary: Desktop.screens.find(s => s.isPrimary) ?? { x: 0, width: Desktop.width }
                readonly property real centerX: primary.x - Desktop.left + primary.width / 2
                x: Desktop.left
                y: Desktop.top
                width: Desktop.width
                height: Desktop.height

                OpenPanelSheet {
                    anchors.fill: parent
                    panelCenterX: modal.centerX
                    panelTop: -Desktop.top + 160
                    model: Desktop.openPanel
                }
                AlertSheet {
                    anchors.fill: parent
                    alertCenterX: modal.centerX
                    alertTop: -Desktop.top + 220
                    model: Desktop.alert
                }
            }
        }
    }
}
