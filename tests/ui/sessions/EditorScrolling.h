#pragma once

#include "ui/QuickDriver.h"

#include <algorithm>

namespace nimbrel::testing {

// Scrolls the session editor's column until the named item is in view, near its top; gives the item.
inline QQuickItem* scrollInEditor(QuickDriver& driver, const QString& name) {
    QQuickItem* item = driver.require(name);
    QQuickItem* scroller = driver.require("editorScroll");
    if (!item || !scroller) return nullptr;
    auto* content = scroller->property("contentItem").value<QQuickItem*>();
    const double y = item->mapToItem(content, QPointF(0, 0)).y();
    const double bottom = scroller->property("contentHeight").toDouble() - scroller->height();
    scroller->setProperty("contentY", std::clamp(y - 40, 0.0, std::max(bottom, 0.0)));
    driver.settle();
    return item;
}

// Scrolls the session editor's column until the named item is in view, then clicks it.
inline void clickInEditor(QuickDriver& driver, const QString& name) {
    if (QQuickItem* item = scrollInEditor(driver, name)) driver.click(item);
}

} // namespace nimbrel::testing
