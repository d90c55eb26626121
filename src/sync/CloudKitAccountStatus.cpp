#include "sync/CloudKitAccountStatus.h"

namespace nimbrel {

QString NimbrelCloudKitAccountStatus::title() const {
    switch (kind) {
    case Kind::error:
        return QStringLiteral("Sync Error");
    case Kind::checking:
        return QStringLiteral("Checking Apple servers…");
    case Kind::available:
        return QStringLiteral("Connected to Apple");
    case Kind::noAccount:
        return QStringLiteral("No Apple Account");
    case Kind::restricted:
        return QStringLiteral("Sync Restricted");
    case Kind::couldNotDetermine:
        return QStringLiteral("Sync Unknown");
    case Kind::temporarilyUnavailable:
        return QStringLiteral("Sync Temporarily Unavailable");
    }
    return QStringLiteral("Sync Unknown");
}

} // namespace nimbrel
