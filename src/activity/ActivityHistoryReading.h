#pragma once

#include "activity/ActivityEntry.h"

#include <QByteArray>

#include <vector>

namespace nimbrel {

struct DecodedHistory {
    std::vector<NimbrelActivityEntry> entries;
    // The text ends as the history's writer ends it, its closing bracket on a line of its own
    // right after the last entry, so that later entries can be added in place.
    bool endsAsWritten = false;
    // Text after the closing bracket that begins an entry: one added in place, cut short before
    // the bracket moved past it. It was never part of the history and is left out.
    bool unfinishedAddition = false;
};

// The history file's entries. Each entry is read on its own rather than through a document of
// the whole file, which would hold several times the file's size at once; entries of the form
// the program writes are read straight from the text, any other through the JSON document,
// and the errors are those of reading the whole file as one document. Equal titles and messages
// share one text. Throws json::DecodeError.
DecodedHistory decodeHistory(const QByteArray& bytes);

} // namespace nimbrel
