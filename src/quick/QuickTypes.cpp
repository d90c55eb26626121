#include "quick/QuickTypes.h"

#include "quick/ModalLayer.h"

#include <QtQml>

#include <mutex>

namespace nimbrel {

void registerQuickTypes() {
    static std::once_flag once;
    std::call_once(once, [] { qmlRegisterType<ModalLayer>(kQuickTypesUri, 1, 0, "ModalLayer"); });
}

} // namespace nimbrel
