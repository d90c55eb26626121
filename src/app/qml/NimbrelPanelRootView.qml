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

    // Each screen is compiled the first time it opens, so that start-up pays for the main
    // menu alone.
    readonly property var screenFiles: ({
        blacklist: "BlacklistView.qml",
        rules: "RulesView.qml",
        sessions: "SessionsView.qml",
        activity: "ActivityView.qml",
        settings: "SettingsWC.qml",
        main: "NimbrelMenuBarView.qml"
    })
    property var compiled: ({})

    function screenComponent(name) {
        const key = root.screenFiles[name] ? name : "main"
        if (!root.compiled[key]) {
            const component = Qt.createComponent(root.screenFiles[key])
            if (component.status === Component.Error)
                console.warn(component.errorString())
            root.compiled[key] = component
        }
        return root.compiled[key]
    }

    function screenProperties(name) {
        if (name === "main") {
            return {
                model: root.model.menu,
                popupLayer: root.popupLayer,
                rulesSubtitle: Qt.binding(() => root.model.rulesSubtitle),
                sessionsSubtitle: Qt.binding(() => root.model.sessionsSubtitle)
            }
        }
        // A screen's view model is handed over once, as it opens: a screen sliding out keeps
        // its own while the next one gets a new one.
        return root.model.screenModel ? { model: root.model.screenModel } : {}
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
        const properties = root.screenProperties(name)
        properties.x = 0
        properties.width = root.width
        properties.height = root.height
        const entering = root.screenComponent(name).createObject(screens, properties)
        if (entering.back)
            entering.back.connect(root.model.requestMainScreen)
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
}
