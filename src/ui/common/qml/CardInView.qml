import QtQuick

// Brings the card that the person just saved or moved into view in its list (the screen
// model's cardToShow): the whole card, with the least scrolling.
QtObject {
    id: shown
    property ListView view: null
    property QtObject model: null
    // The card to show until the list has measured the cards it made for it.
    property int row: -1

    function place() {
        if (shown.view && shown.row >= 0)
            shown.view.positionViewAtIndex(shown.row, ListView.Contain)
    }

    readonly property Connections requests: Connections {
        target: shown.model
        function onCardToShow(row) {
            shown.row = row
            shown.place()
        }
    }
    // Cards made to place it are measured with the next frame, and may move it: placed once
    // more then.
    readonly property Connections measured: Connections {
        target: shown.row >= 0 && shown.view ? shown.view.Window.window : null
        function onAfterAnimating() {
            shown.place()
            shown.row = -1
        }
    }
}
