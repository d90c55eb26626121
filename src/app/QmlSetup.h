#pragma once

#include <QObject>
#include <QPointer>

class QQmlEngine;

namespace nimbrel {

// The C++ objects the screens read, published to QML as singletons of "Nimbrel.Models":
// Shell, Glass, Hover and Desktop.
struct QmlModels {
    QPointer<QObject> shell;
    QPointer<QObject> glass;
    QPointer<QObject> hover;
    QPointer<QObject> desktop;
};

// Registers the singletons (once per process; each engine gets the models current when it
// first asks), the symbol image provider, and the import path of the Nimbrel.App module.
void setUpQmlEngine(QQmlEngine& engine, const QmlModels& models);

} // namespace nimbrel
