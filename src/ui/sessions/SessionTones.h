#pragma once

#include <QColor>
#include <QString>
#include <QVariantMap>

namespace nimbrel {

// The system colours of the dark appearance that the sessions screens tint states with.
enum class SessionTone { white, green, yellow, red, purple, gray };

QColor sessionToneColor(SessionTone tone, double opacity);

// How a row of a picker or list reads and is tinted in one state (selected, hovered, ...).
struct SessionRowLook {
    QString subtitle;
    QColor subtitleColor;
    QColor fill;
    QColor outline;
};

// {"subtitle", "subtitleColor", "fill", "outline"} for QML.
QVariantMap rowLookMap(const SessionRowLook& look);

} // namespace nimbrel
