import QtQuick
import Nimbrel.Sessions

// A strip of fixed height whose content, laid out at its natural width, scrolls sideways
// with an ordinary mouse wheel as well as with horizontal swipes; no scroll bars.
WheelMappedScrollArea {
    id: strip
    property real stripHeight: 46
    property string helpText: ""
    default property alias content: document.data
    // The content's own width; the document is never narrower than the strip.
    property real contentWidth: document.childrenRect.width

    height: stripHeight
    documentWidth: Math.max(contentWidth, width)

    Item {
        id: document
        x: -strip.contentX
        width: strip.documentWidth
        height: strip.stripHeight
    }
    HelpTip { text: strip.helpText }
}
