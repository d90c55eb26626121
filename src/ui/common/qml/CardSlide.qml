import QtQuick

// Draws the moves of a list's card as a slide from where it was drawn, while the list places
// the card at once. A ListView's displaced transition keeps the place it aimed at when it
// began, so a card that grows meanwhile ends up under the next one; here the list's layout is
// never behind the cards' heights, and only a move while the cards slide (CardMoves: after a
// delete) is drawn moving: what lands at once (a save, a pin, a cloud merge) moves the drawn
// card with it.
Translate {
    id: slide
    objectName: "cardSlide"
    // The card, and its list's moves.
    property Item card: null
    property CardMoves moves: null
    property real placedY: NaN

    readonly property Connections placement: Connections {
        target: slide.card
        function onYChanged() { slide.follow() }
    }
    readonly property SpringNumberAnimation settle: SpringNumberAnimation {
        target: slide
        property: "y"
        to: 0
        motion: slide.moves?.motion ?? null
    }

    function follow() {
        const placed = slide.card.y
        if (!isNaN(slide.placedY) && (slide.moves?.sliding ?? false)) {
            slide.y += slide.placedY - placed
            slide.settle.restart()
        }
        slide.placedY = placed
    }
}
