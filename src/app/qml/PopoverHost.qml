import QtQuick

// Where a screen's menus and help tips go: the panel's layer for popovers (see NimbrelPanel),
// found through the first ancestor that hands one on, so that they scale with the panel and
// may reach past it; a screen shown on its own keeps them on its own top item.
QtObject {
    function layerFor(item) {
        let top = item
        for (let up = item; up; up = up.parent) {
            if (up.popupLayer)
                return up.popupLayer
            if (up.parent && up.parent.parent) // not the window's own content item
                top = up.parent
        }
        return top
    }
    // The part of `layer` a popover may take: the popover area where the layer has one.
    function areaOf(layer) {
        return layer?.area ?? Qt.rect(0, 0, layer?.width ?? 0, layer?.height ?? 0)
    }
}
