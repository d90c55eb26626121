#pragma once

#include "platform/Date.h"

#include <cmath>

namespace nimbrel {

// Whether a pulled copy of an object replaces the one held here. Dates in payloads are whole
// seconds, so they compare to the second; a copy of the same second replaces ours only when
// `differs` (its content differs, and ours is in the cloud): the cloud holds the copy saved
// last, and both Macs then agree on it.
template <typename Differs> bool isNewerCloudCopy(Date cloud, Date local, Differs differs) {
    const double cloudSecond = std::floor(cloud.secondsSinceReferenceDate);
    const double localSecond = std::floor(local.secondsSinceReferenceDate);
    if (cloudSecond != localSecond) return cloudSecond > localSecond;
    return differs();
}

inline bool isSameSecond(Date a, Date b) {
    return std::floor(a.secondsSinceReferenceDate) == std::floor(b.secondsSinceReferenceDate);
}

} // namespace nimbrel
