import QtQuick

// The panel in menu mode: one screen at a time. The main menu slides in from the leading
// edge, every other screen from the trailing edge, each fading as it moves.
Item {
    id: root
    required property QtObject model
    // Where the screens' popovers go (see NimbrelPanel); none when the view stands alone.
    property Item popupLayer: null
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

    // Two slots: the screen shown, and the one leaving while the next slides in.
    property Item current: null
    property string currentName: ""
    readonly property int springMs: 280

    function show(name, animated) {
        const leaving = root.current
        // Each screen leaves towards the edge it came from, whatever replaces it.
        const leavingIsMain = root.currentName === "main"
        const towardsMain = name === "main"
        const properties = { x: 0, width: root.width, height: root.height }
        // A screen's view model is handed over once, as it opens: a screen sliding out keeps
        // its own while the next one gets a new one.
        if (root.model.screenModel)
            properties.model = root.model.screenModel
        const entering = root.screenComponent(name).createObject(screens, properties)
        root.current = entering
        root.currentName = name
        if (!animated || !leaving) {
            if (leaving)
                leaving.destroy()
            return
        }
        entering.x = towardsMain ? -root.width : root.width
        entering.opacity = 0
        slide.leaving = leaving
        slide.entering = entering
        slide.leavingTo = leavingIsMain ? -root.width : root.width
        slide.restart()
    }

    Item {
        id: screens
        anchors.fill: parent
    }
    ParallelAnimation {
        id: slide
        objectName: "screenSlide"
        property Item leaving: null
        property Item entering: null
        property real leavingTo: 0
        NumberAnimation { target: slide.entering; property: "x"; to: 0; duration: root.springMs; easing.type: Easing.OutCubic }
        NumberAnimation { target: slide.entering; property: "opacity"; to: 1; duration: root.springMs }
        NumberAnimation { target: slide.leaving; property: "x"; to: slide.leavingTo; duration: root.springMs; easing.type: Easing.OutCubic }
        NumberAnimation { target: slide.leaving; property: "opacity"; to: 0; duration: root.springMs }
        onFinished: {
            if (slide.leaving && slide.leaving !== root.current)
                slide.leaving.destroy()
            slide.leaving = null
        }
    }

    Component.onCompleted: {
        root.show(root.model.screenName, false)
        root.model.appeared()
    }

    Connections {
        target: root.model
        function onScreenChanged() {
            if (slide.running)
                slide.complete()
            root.show(root.model.screenName, true)
        }
    }

    Component {
        id: mainScreen
        NimbrelMenuBarView {
            model: root.model.menu
            popupLayer: root.popupLayer
            rulesSubtitle: root.model.rulesSubtitle
            sessionsSubtitle: root.model.sessionsSubtitle
        }
    }
    Component {
        id: blacklistScreen
        BlacklistView {}
    }
    Component {
        id: rulesScreen
        RulesView {
            model: root.model.screenModel
            onBack: root.model.requestMainScreen()
        }
    }
    Component {
        id: sessionsScreen
        SessionsView {
            model: root.model.screenModel
            onBack: root.model.requestMainScreen()
        }
    }
    Component {
        id: activityScreen
        ActivityView {}
    }
    Component {
        id: settingsScreen
        SettingsWC {}
    }
}
