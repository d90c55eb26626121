#pragma once

#include "sync/CloudPayloadType.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace nimbrel {

class UserDefaults;

// The ids of deleted objects this Mac knows of, by payload type: those it deleted itself once their
// tombstones were saved, and those the sync registry listed when it was read. Kept in user
// defaults under keyPrefix and the type's raw value, so that a sync registry written anew, after a
// restart too, still lists every deletion.
class CloudKnownDeletions {
  public:
    static inline const QString keyPrefix = QStringLiteral("Nimbrel.cloud.knownDeletions.");

    explicit CloudKnownDeletions(UserDefaults* defaults) : defaults_(defaults) {}

    QStringList ids(NimbrelCloudPayloadType type);
    // Stored again only when one of `ids` is new.
    void add(NimbrelCloudPayloadType type, const QStringList& ids);

  private:
    struct Known {
        QStringList list;
        QSet<QString> set;
    };
    Known& known(NimbrelCloudPayloadType type);

    UserDefaults* defaults_;
    std::map<NimbrelCloudPayloadType, Known> loaded_;
};

} // namespace nimbrel
