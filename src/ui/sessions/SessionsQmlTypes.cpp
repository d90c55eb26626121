#include "ui/sessions/SessionsQmlTypes.h"

#include "ui/sessions/WheelMappedScrollArea.h"

#include <QtQml>

#include <mutex>

namespace nimbrel {

void registerSessionsQmlTypes() {
    static std::once_flag once;
    std::call_once(once,
                   [] { qmlRegisterType<WheelMappedScrollArea>("Nimbrel.Sessions", 1, 0, "WheelMappedScrollArea"); });
}

} // namespace nimbrel
