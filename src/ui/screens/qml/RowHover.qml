import QtQuick

// A list row's own hover flag. It follows the pointer, but a row made (or changed) under a
// pointer at rest, as when a click rebuilds the list, keeps its resting look until the pointer
// moves again.
HoverHandler {
    id: handler
    property bool isHovering: false
    property bool resting: false
    property point restingAt: Qt.point(0, 0)

    // Clears the flag; `at` is where the pointer rests in scene coordinates, or null when it
    // is not over the list.
    function rest(at) {
        isHovering = false
        resting = at !== null && at !== undefined
        if (resting)
            restingAt = at
    }
    function follow() {
        if (!hovered) {
            resting = false
            isHovering = false
            return
        }
        const p = point.scenePosition
        if (resting && Math.abs(p.x - restingAt.x) < 0.5 && Math.abs(p.y - restingAt.y) < 0.5)
            return
        resting = false
        isHovering = true
    }
    onHoveredChanged: follow()
    onPointChanged: follow()
}
