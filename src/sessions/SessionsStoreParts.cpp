#include "sessions/SessionsStore.h"

#include "sessions/SessionsCloudSync.h"

namespace nimbrel {

NimbrelSessionsStore::Parts NimbrelSessionsStore::Parts::standard(Platform& platform) {
    Parts parts = none();
    parts.makeCloudSide = [&platform](std::weak_ptr<NimbrelSessionsStore> store) {
        return std::make_unique<SessionsCloudSync>(platform, std::move(store), StoreSyncLinks::shared());
    };
    return parts;
}

} // namespace nimbrel
