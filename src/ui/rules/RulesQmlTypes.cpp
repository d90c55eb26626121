#include "ui/rules/RulesQmlTypes.h"

#include "ui/common/ScreenQmlTypes.h"
#include "ui/rules/WrapLayoutItem.h"

#include <QtQml>

namespace nimbrel {

void registerRulesQmlTypes() {
    qmlRegisterType<WrapLayoutItem>(kScreenTypesUri, 1, 0, "WrapLayout");
}

} // namespace nimbrel
