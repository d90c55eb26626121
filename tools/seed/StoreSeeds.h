#pragma once

// Generated contents of the program's large stores, for measuring start-up with them: varied
// enough that nothing is shared by accident, written through the program's own encoders and
// writers, so that the files are exactly the program's.

#include "activity/ActivityEntry.h"
#include "model/Rule.h"
#include "sessions/Session.h"

#include <QStringList>

#include <vector>

namespace nimbrel::seed {

// Rules of one to four actions of every kind, on as many trigger apps as rules.
std::vector<NimbrelRule> rules(int count, Date now);
// Blacklisted app keys, sorted as the blacklist stores them.
QStringList blacklistedApps(int count);
// Enabled sessions, each scheduled for half an hour that starts at least two hours after `now`
// (so none is active during a measurement), with Dock and whitelisted apps, some of them
// installed on the simulated Mac.
std::vector<NimbrelSession> sessions(int count, Date now);
// Entries of every kind spread over the last 29 days before `now`, oldest first.
std::vector<NimbrelActivityEntry> activity(int count, Date now);

} // namespace nimbrel::seed
