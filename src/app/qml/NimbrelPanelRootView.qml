import QtQuick
import QtQuick.Controls

// The panel in menu mode: one screen at a time. The main menu slides in from the leading
// edge, every other screen from the trailing edge, each fading as it moves.
Item {
    id: root
    required property QtObject model
    width: 360
    height: 500
    clip: true

    function screenComponent(name) {
        switch (name) {
        case "blacklist": return blacklistScreen
        case "rules": return rulesScreen
        case "sessions": return sessionsScreen
        case "activity": return activityScreen
        case "settings": return settingsScreen
        default: return mainScreen
        }
    }

    Component.onCompleted: root.model.appeared()

    StackView {
        id: stack
        anchors.fill: parent
        initialItem: root.screenComponent(root.model.screenName)
        readonly property int springMs: 280
        readonly property real travel: root.width
        property bool towardsMain: true

        replaceEnter: Transition {
            ParallelAnimation {
                NumberAnimation { property: "x"; from: stack.towardsMain ? -stack.travel : stack.travel; to: 0
                                  duration: stack.springMs; easing.type: Easing.OutCubic }
                NumberAnimation { property: "opacity"; from: 0; to: 1; duration: stack.springMs }
            }
        }
        replaceExit: Transition {
            ParallelAnimation {
                NumberAnimation { property: "x"; from: 0; to: stack.towardsMain ? stack.travel : -stack.travel
                                  duration: stack.springMs; easing.type: Easing.OutCubic }
                NumberAnimation { property: "opacity"; from: 1; to: 0; duration: stack.springMs }
            }
        }
    }

    Connections {
        target: root.model
        function onScreenChanged() {
            stack.towardsMain = root.model.screenName === "main"
            stack.replace(root.screenComponent(root.model.screenName))
        }
    }

    Component {
        id: mainScreen
        NimbrelMenuBarView {
            rulesSubtitle: root.model.rulesSubtitle
            sessionsSubtitle: root.model.sessionsSubtitle
            onPost: name => root.model.post(name)
        }
    }
    Component {
        id: blacklistScreen
        PlaceholderScreen {
            title: "Blacklist"
            systemImage: "nosign"
            note: "Apps on the blacklist keep the Dock's own click behaviour."
            onBack: root.model.post("Nimbrel.showMainWindow")
        }
    }
    Component {
        id: rulesScreen
        PlaceholderScreen {
            title: "Rules"
            systemImage: "square.stack.3d.up"
            note: "Rules open websites, folders and apps when you click an app in the Dock."
            onBack: root.model.requestMainScreen()
        }
    }
    Component {
        id: sessionsScreen
        PlaceholderScreen {
            title: "Sessions"
            systemImage: "dock.rectangle"
            note: "Sessions switch your Dock and wallpaper on a schedule."
            onBack: root.model.requestMainScreen()
        }
    }
    Component {
        id: activityScreen
        PlaceholderScreen {
            title: "Activity"
            systemImage: "waveform.path.ecg"
            note: "What Nimbrel did in the last 30 days."
            onBack: root.model.post("Nimbrel.showMainWindow")
        }
    }
    Component {
        id: settingsScreen
        PlaceholderScreen {
            title: "Settings"
            systemImage: "gearshape.fill"
            note: "Dock behaviour, sync, updates and the look of the panel."
            onBack: root.model.post("Nimbrel.showMainWindow")
        }
    }
}
