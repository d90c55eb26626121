#pragma once

#include "sessions/KeptPerSession.h"
#include "sessions/Session.h"

#include <QByteArray>

#include <vector>

namespace nimbrel {

// The text of "Sessions.json" for a list of sessions, byte for byte what encodeSessionList writes
// but for the ids of the apps (which every encoding makes anew). The text of each session is kept
// with the session it was made from, so the next list encodes only the sessions that changed and
// copies the others: an edit of one of a thousand sessions costs one session's encoding.
class SessionListText {
  public:
    QByteArray render(const std::vector<NimbrelSession>& sessions);

  private:
    // Each session's object as it stands in the indented array.
    KeptPerSession<QByteArray> parts_;
};

} // namespace nimbrel
