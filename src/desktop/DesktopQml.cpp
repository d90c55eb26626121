#include "desktop/DesktopQml.h"

#include "desktop/DesktopViewModel.h"
#include "quick/QuickTypes.h"

#include <QJSEngine>
#include <QPointer>
#include <QQmlEngine>
#include <QtQml>

#include <mutex>

namespace nimbrel {

namespace {

QPointer<DesktopViewModel>& currentDesktop() {
    static QPointer<DesktopViewModel> desktop;
    return desktop;
}

} // namespace

void setUpDesktopQml(QQmlEngine& engine, DesktopViewModel* desktop) {
    currentDesktop() = desktop;
    static std::once_flag once;
    std::call_once(once, [] {
        qmlRegisterSingletonType<QObject>("Nimbrel.DesktopModels", 1, 0, "Desktop", [](QQmlEngine*, QJSEngine*) {
            QObject* model = currentDesktop().data();
            if (model) QJSEngine::setObjectOwnership(model, QJSEngine::CppOwnership);
            return model;
        });
    });
    registerQuickTypes();
    engine.addImportPath(QStringLiteral("qrc:/"));
}

} // namespace nimbrel
