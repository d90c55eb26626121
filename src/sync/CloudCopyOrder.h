#pragma once

#include "platform/Date.h"

#include <algorithm>
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

// The date a change waiting for the cloud goes out with again, given the date of its mark: a held
// copy dated to the whole second (the sessions file keeps no fraction) may be the change marked
// later in that second, and goes out dated by the mark, so that no copy this Mac saved earlier in
// that second counts as newer. A held date with a fraction is exact, and one of another second is
// not the marked change (that one never reached the disk): each goes out as it is.
inline Date resendDate(Date held, Date marked) {
    if (held.secondsSinceReferenceDate == wholeSecond(held) && isSameSecond(held, marked))
        return std::max(held, marked);
    return held;
}

} // namespace nimbrel
