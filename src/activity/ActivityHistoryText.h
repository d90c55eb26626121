#pragma once

#include "activity/ActivityHistory.h"

#include <QByteArray>

namespace nimbrel {

// The history file's text: the entries' JSON objects in an indented array, byte for byte as
// QJsonDocument writes them, but written straight into the text. Building the document first
// costs the background write ten times more and churns through memory the main thread's next
// record then waits for; nor does it touch the entries' texts, which the main thread shares.
QByteArray encodeHistory(const ActivityHistory::Snapshot& entries);
// What follows the last of the entries before `first` in the text of the whole snapshot: each
// later entry after a separator, then the closing bracket.
QByteArray encodeHistoryTail(const ActivityHistory::Snapshot& entries, size_t first);

} // namespace nimbrel
