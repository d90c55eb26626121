#pragma once

#include "platform/Date.h"

#include <QString>

namespace nimbrel {

class UserDefaults;

// The copy of each object that this Mac last saved to the cloud: the change tag the cloud gave
// its record and the date it carries, kept in user defaults as "<key>.<push key>" across
// restarts. A pulled record under that tag and of that date is this Mac's own copy, whatever
// device id it names: "unknown-device" when the id could not be read, or was not stored yet, as
// it was pushed. The date guards against a tag counted anew by a cloud made anew.
class CloudOwnCopies {
  public:
    static inline const QString key = QStringLiteral("Nimbrel.cloud.ownCopies");

    explicit CloudOwnCopies(UserDefaults& defaults) : defaults_(defaults) {}

    void saved(const QString& pushKey, const QString& changeTag, Date updatedAt);
    bool isOwn(const QString& pushKey, const QString& changeTag, Date updatedAt) const;
    void forget(const QString& pushKey);

  private:
    UserDefaults& defaults_;
};

} // namespace nimbrel
