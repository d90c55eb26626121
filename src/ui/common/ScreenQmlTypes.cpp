#include "ui/common/ScreenQmlTypes.h"

#include "ui/common/DirectWheelScroll.h"
#include "ui/common/FocusWhileShown.h"
#include "ui/common/HelpTipTracker.h"
#include "ui/common/Spring.h"

#include <QtQml>

namespace nimbrel {

void registerCommonQmlTypes() {
    qmlRegisterType<SpringCurve>(kScreenTypesUri, 1, 0, "SpringCurve");
    qmlRegisterUncreatableType<Motion>(kScreenTypesUri, 1, 0, "Motion", QStringLiteral("made by view models"));
    qmlRegisterUncreatableType<DirectWheelScroll>(kScreenTypesUri, 1, 0, "DirectWheelScroll",
                                                  QStringLiteral("attached to a list"));
    qmlRegisterUncreatableType<FocusWhileShown>(kScreenTypesUri, 1, 0, "FocusWhileShown",
                                                QStringLiteral("attached to a text field"));
    qmlRegisterType<HelpTipTracker>(kScreenTypesUri, 1, 0, "HelpTipTracker");
}

} // namespace nimbrel
