#include "platform/BuildVersion.h"

#include "BuildVersionText.h"

#include <QCoreApplication>

namespace nimbrel {

QString buildVersion() {
    return QStringLiteral(NIMBREL_BUILD_VERSION);
}

void applyBuildVersion() {
    QCoreApplication::setApplicationVersion(buildVersion());
}

} // namespace nimbrel
