#include "app/QmlSetup.h"

#include "app/InterfaceFont.h"
#include "app/SymbolImageProvider.h"
#include "quick/QuickTypes.h"
#include "ui/common/AppIconPictures.h"
#include "ui/common/ScreenQmlTypes.h"
#include "ui/rules/RulesQmlTypes.h"
#include "ui/sessions/SessionsQmlTypes.h"

#include <QJSEngine>
#include <QQmlEngine>
#include <QtQml>

#include <mutex>

namespace nimbrel {

namespace {

QmlModels& currentModels() {
    static QmlModels models;
    return models;
}

QObject* hand(QObject* object) {
    if (object) QJSEngine::setObjectOwnership(object, QJSEngine::CppOwnership);
    return object;
}

void registerSingletons() {
    static std::once_flag once;
    std::call_once(once, [] {
        const char* uri = "Nimbrel.Models";
        qmlRegisterSingletonType<QObject>(uri, 1, 0, "Shell",
                                          [](QQmlEngine*, QJSEngine*) { return hand(currentModels().shell); });
        qmlRegisterSingletonType<QObject>(uri, 1, 0, "Glass",
                                          [](QQmlEngine*, QJSEngine*) { return hand(currentModels().glass); });
        qmlRegisterSingletonType<QObject>(uri, 1, 0, "Hover",
                                          [](QQmlEngine*, QJSEngine*) { return hand(currentModels().hover); });
        registerQuickTypes();
        registerCommonQmlTypes();
        registerRulesQmlTypes();
        registerSessionsQmlTypes();
    });
}

} // namespace

void setUpQmlEngine(QQmlEngine& engine, const QmlModels& models) {
    currentModels() = models;
    registerSingletons();
    useInterfaceFont();
    engine.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
    engine.addImageProvider(QStringLiteral("appicon"), new AppIconPictures);
    engine.addImportPath(QStringLiteral("qrc:/"));
}

} // namespace nimbrel
