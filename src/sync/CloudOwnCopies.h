#pragma once

#include "platform/Date.h"

#include <QString>

#include <optional>

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

// Whose copy a record in the cloud is, as far as this Mac can tell: its own (by the change tag its
// save came back with, or by its stored device id), another Mac's (another id), or not known:
// "unknown-device", which this Mac's pushes also name while its id cannot be read or is not stored
// yet, or any id while this Mac's own cannot be read. A copy not known may be this Mac's own whose
// save never answered.
enum class CloudCopySource { thisMac, anotherMac, unknown };

CloudCopySource cloudCopySource(const std::optional<QString>& thisMacsID, bool thisMacsIDUnreadable,
                                const QString& sourceDeviceID, bool savedHere);

} // namespace nimbrel
