#pragma once

#include "platform/Date.h"

#include <cmath>

namespace nimbrel {

// Dates in payloads are whole seconds: copies compare by the second they were made in.
inline double wholeSecond(Date date) {
    return std::floor(date.secondsSinceReferenceDate);
}

inline bool isSameSecond(Date a, Date b) {
    return wholeSecond(a) == wholeSecond(b);
}

// Whether a pulled copy of an object replaces the one held here: a later second does; a copy of
// the same second only when `differs` (its content differs, and ours is in the cloud): the cloud
// holds the copy saved last, and both Macs then agree on it.
template <typename Differs> bool isNewerCloudCopy(Date cloud, Date local, Differs differs) {
    if (!isSameSecond(cloud, local)) return wholeSecond(cloud) > wholeSecond(local);
    return differs();
}

} // namespace nimbrel
