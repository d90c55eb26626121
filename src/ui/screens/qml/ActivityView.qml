import QtQuick
import Nimbrel.Screens

// The activity screen: the last 30 days in a strip, the chosen day's entries, and the sync
// button. It fades in and rises 10 points as it first appears; the pointer lights its edge.
HoverScale {
    id: screen
    required property QtObject model
    width: 360
    height: 500
    cornerRadius: 26
    hoverScale: 1.0
    animationDuration: 0.16
    highlightLength: 92
    borderWidth: 1.1

    // The entrance is a spring of response 0.5 s and damping fraction 0.88: stiffness
    // (2π / 0.5)² and damping 2 · 0.88 · 2π / 0.5, per 16 ms step of the spring animation.
    readonly property real entranceSpring: Math.pow(2 * Math.PI / 0.5, 2) * 0.016
    readonly property real entranceDamping: 2 * 0.88 * (2 * Math.PI / 0.5) * 0.016
    opacity: screen.model.hasAnimatedIn ? 1 : 0
    transform: Translate {
        y: screen.model.hasAnimatedIn ? 0 : 10
        Behavior on y { SpringAnimation { spring: screen.entranceSpring; damping: screen.entranceDamping } }
    }
    Behavior on opacity {
        SpringAnimation { spring: screen.entranceSpring; damping: screen.entranceDamping; epsilon: 0.002 }
    }

    Component.onCompleted: screen.model.appeared()

    readonly property color green: Qt.rgba(0.19, 0.82, 0.35, 1)

    Column {
        id: column
        x: 22
        y: 22
        width: screen.width - 44
        height: screen.height - 44
        spacing: 18

        Item {
            id: header
            width: parent.width
            height: Math.max(42, titles.implicitHeight)
            GlassCircleButton {
                id: backButton
                objectName: "activityBack"
                anchors.verticalCenter: parent.verticalCenter
                systemImage: "arrow.left"
                accessibilityLabel: "Back to Main Window"
                size: 42
                symbolSize: 14
                symbolWeight: Font.Bold
                onClicked: screen.model.goBack()
            }
            // Beside the "Today" button while it shows: the subtitle wraps rather than run under it.
            Column {
                id: titles
                anchors.left: backButton.right
                anchors.leftMargin: 12
                anchors.right: todayButton.shown ? todayButton.left : parent.right
                anchors.rightMargin: todayButton.shown ? 12 : 0
                anchors.verticalCenter: parent.verticalCenter
                spacing: 2
                Text {
                    text: "Activity"
                    color: "white"
                    font.pixelSize: 20
                    font.weight: Font.DemiBold
                }
                Text {
                    width: parent.width
                    text: "History for sessions, rules and app events"
                    color: Qt.rgba(1, 1, 1, 0.66)
                    font.pixelSize: 11
                    wrapMode: Text.WordWrap
                }
            }
            HoverScale {
                id: todayButton
                objectName: "activityToday"
                readonly property bool shown: !screen.model.selectedIsToday
                anchors.verticalCenter: parent.verticalCenter
                x: shown ? parent.width - width : parent.width + 12
                opacity: shown ? 1 : 0
                visible: opacity > 0
                width: todayLabel.implicitWidth + 24
                height: 34
                cornerRadius: 17
                hoverScale: 1.02
                animationDuration: 0.16
                highlightLength: 32
                borderWidth: 1.1
                Behavior on x { NumberAnimation { duration: 300; easing.type: Easing.OutCubic } }
                Behavior on opacity { NumberAnimation { duration: 300 } }
                Accessible.role: Accessible.Button
                Accessible.name: "Today"
                GlassSurface {
                    anchors.fill: parent
                    cornerRadius: 17
                    Text {
                        id: todayLabel
                        anchors.centerIn: parent
                        text: "Today"
                        color: Qt.rgba(1, 1, 1, 0.92)
                        font.pixelSize: 12
                        font.weight: Font.Bold
                    }
                }
                MouseArea {
                    anchors.fill: parent
                    enabled: todayButton.shown
                    onClicked: screen.model.selectToday()
                }
            }
        }

        ListView {
            id: strip
            objectName: "activityStrip"
            DirectWheelScroll.enabled: true
            width: parent.width
            height: 66
            orientation: ListView.Horizontal
            spacing: 10
            clip: true
            leftMargin: Math.max(0, (width - 60) / 2)
            rightMargin: leftMargin
            topMargin: 3
            boundsBehavior: Flickable.StopAtBounds
            // Always the last 30 days; a fixed count keeps the cells (and the scroll position)
            // while their contents change.
            model: 30
            delegate: ActivityDayCircle {
                required property int index
                readonly property var day: screen.model.days[index]
                objectName: "day-" + (day ? day.identifier : "")
                weekday: day ? day.weekday : ""
                dayNumber: day ? day.dayNumber : 1
                isSelected: day ? day.isSelected : false
                badge: day ? day.badge : ""
                onClicked: screen.model.selectDay(index)
            }

            // The selected day stands in the middle: at once when the screen appears, then
            // moving there whenever another day is chosen.
            currentIndex: screen.model.selectedIndex
            highlightRangeMode: ListView.ApplyRange
            preferredHighlightBegin: (width - 60) / 2
            preferredHighlightEnd: (width + 60) / 2
            highlightFollowsCurrentItem: true
            highlightMoveDuration: 0
            highlightMoveVelocity: -1
            Timer {
                interval: 1
                running: true
                onTriggered: strip.highlightMoveDuration = 420
            }
        }

        Column {
            id: dayTitle
            width: parent.width
            spacing: 3
            Text {
                objectName: "activitySectionTitle"
                text: screen.model.sectionTitle
                color: Qt.rgba(1, 1, 1, 0.96)
                font.pixelSize: 20
                font.weight: Font.Bold
            }
            Text {
                text: screen.model.selectedDateText
                color: Qt.rgba(1, 1, 1, 0.56)
                font.pixelSize: 13
                font.weight: Font.Medium
            }
        }

        Item {
            id: entriesArea
            width: parent.width
            height: column.height - header.height - strip.height - dayTitle.height - syncButton.height
                    - 4 * column.spacing

            HoverScale {
                objectName: "activityEmpty"
                anchors.fill: parent
                visible: screen.model.entryCount === 0
                cornerRadius: 24
                hoverScale: 1.0
                animationDuration: 0.16
                highlightLength: 64
                borderWidth: 1.1
                GlassSurface {
                    anchors.fill: parent
                    cornerRadius: 24
                }
                Column {
                    anchors.centerIn: parent
                    width: parent.width - 36
                    spacing: 12
                    GlassSurface {
                        anchors.horizontalCenter: parent.horizontalCenter
                        width: 58
                        height: 58
                        cornerRadius: 22
                        SymbolIcon {
                            anchors.centerIn: parent
                            name: "clock.badge.questionmark"
                            pointSize: 26
                            color: Qt.rgba(1, 1, 1, 0.72)
                        }
                    }
                    Column {
                        width: parent.width
                        spacing: 5
                        Text {
                            width: parent.width
                            horizontalAlignment: Text.AlignHCenter
                            text: "No activity recorded"
                            color: Qt.rgba(1, 1, 1, 0.9)
                            font.pixelSize: 15
                            font.weight: Font.Bold
                        }
                        Text {
                            width: parent.width
                            horizontalAlignment: Text.AlignHCenter
                            wrapMode: Text.WordWrap
                            text: "Sessions, rules, blacklists and errors will appear here when something happens."
                            color: Qt.rgba(1, 1, 1, 0.52)
                            font.pixelSize: 12
                            font.weight: Font.Medium
                        }
                    }
                }
            }

            ListView {
                id: entryList
                objectName: "activityEntries"
                DirectWheelScroll.enabled: true
                anchors.fill: parent
                visible: screen.model.entryCount > 0
                clip: true
                spacing: 10
                topMargin: 2
                bottomMargin: 2
                boundsBehavior: Flickable.StopAtBounds
                model: screen.model.entries
                delegate: ActivityEntryCard {
                    required property int index
                    required property var model
                    objectName: "entry-" + index
                    width: entryList.width
                    title: model.title
                    message: model.message
                    time: model.time
                    symbol: model.symbol
                    tint: model.tint
                    onClicked: screen.model.copyEntry(index)
                }
            }
        }

        HoverScale {
            id: syncButton
            objectName: "activitySync"
            // What the sync came to, from the model at each change: the success green, yellow
            // for a sync that could not run, red for one that failed.
            function toneColor() {
                const tone = screen.model.syncProblemTone
                return tone === "failure" ? Qt.rgba(1, 0.27, 0.23, 1)
                     : tone === "warning" ? Qt.rgba(1, 0.84, 0.04, 1)
                     : screen.green
            }
            readonly property bool tinted: screen.model.syncSucceeded || screen.model.syncProblemTone.length > 0
            // The tint keeps its colour while it fades out.
            onTintedChanged: if (tinted) tint.tone = toneColor()
            width: parent.width
            height: 42
            cornerRadius: 21
            hoverScale: 1.01
            animationDuration: 0.16
            highlightLength: 56
            borderWidth: 1.1
            Accessible.role: Accessible.Button
            Accessible.name: screen.model.syncTitle

            GlassSurface {
                anchors.fill: parent
                cornerRadius: 21
            }
            Rectangle {
                id: tint
                property color tone: screen.green
                anchors.fill: parent
                radius: 21
                color: Qt.rgba(tone.r, tone.g, tone.b, 0.22)
                border.width: 1
                border.color: Qt.rgba(tone.r, tone.g, tone.b, 0.5)
                opacity: 0
                states: State {
                    name: "shown"
                    when: syncButton.tinted
                    PropertyChanges { target: tint; opacity: 1 }
                }
                // In with the result over 0.25 s; back to idle over 0.3 s.
                transitions: [
                    Transition {
                        to: "shown"
                        NumberAnimation { property: "opacity"; duration: 250; easing.type: Easing.OutCubic }
                    },
                    Transition {
                        from: "shown"
                        NumberAnimation { property: "opacity"; duration: 300; easing.type: Easing.OutCubic }
                    }
                ]
            }
            Row {
                anchors.centerIn: parent
                spacing: 8
                SymbolIcon {
                    id: syncSymbol
                    anchors.verticalCenter: parent.verticalCenter
                    name: screen.model.syncSymbol
                    pointSize: 12
                    color: Qt.rgba(1, 1, 1, 0.92)
                    RotationAnimation on rotation {
                        running: screen.model.syncState === "syncing"
                        from: 0
                        to: 360
                        duration: 1100
                        loops: Animation.Infinite
                        onRunningChanged: if (!running) syncSymbol.rotation = 0
                    }
                }
                Text {
                    objectName: "activitySyncTitle"
                    anchors.verticalCenter: parent.verticalCenter
                    text: screen.model.syncTitle
                    color: Qt.rgba(1, 1, 1, 0.92)
                    font.pixelSize: 13
                    font.weight: Font.DemiBold
                }
            }
            MouseArea {
                anchors.fill: parent
                enabled: screen.model.syncEnabled
                onClicked: screen.model.startSync()
            }
        }
    }
}
