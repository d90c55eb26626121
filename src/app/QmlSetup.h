#pragma once

#include <QObject>
#include <QPointer>

class QQmlEngine;

namespace nimbrel {

// The C++ objects the screens read, published to QML as singletons of "Nimbrel.Models":
// Shell, Glass and Hover. `Shell` is also what a host of the status item and the panel reads.
struct QmlModels {
    QPointer<QObject> shell;
    QPointer<QObject> glass;
    QPointer<QObject> hover;
};

// Registers the singletons (once per process; each engine gets the models current when it
// first asks), the symbol and app icon image providers, and the import path of the
// Nimbrel.App module, and makes the interface font the application's (InterfaceFont.h).
void setUpQmlEngine(QQmlEngine& engine, const QmlModels& models);

} // namespace nimbrel
