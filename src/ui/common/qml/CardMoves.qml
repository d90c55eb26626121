import QtQuick

// When the cards of a list draw their moves as slides (CardSlide): from a change of the cards
// made with a spring (a delete) until that spring has come to rest or a change that lands at
// once comes. Outside it a card is drawn where the list places it, also when a card above it is
// measured late as it scrolls into view.
QtObject {
    id: moves
    // The screen's view model: its cards and the motion of their last change.
    property QtObject model: null
    readonly property QtObject motion: model?.cardsMotion ?? null
    readonly property bool sliding: window.running

    readonly property PauseAnimation window: PauseAnimation {
        duration: moves.motion?.duration ?? 0
    }
    readonly property Connections changes: Connections {
        target: moves.model
        function onCardsChanged() {
            if (moves.motion?.animated ?? false)
                moves.window.restart()
            else
                moves.window.stop()
        }
    }
}
