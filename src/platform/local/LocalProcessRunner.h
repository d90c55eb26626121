#pragma once

#include "platform/ProcessRunner.h"

namespace nimbrel {

// Runs real commands on this machine. Standard output (and standard error when captured) is
// drained as it arrives and read to its end before the exit is awaited, so a command that
// writes more than a pipe holds never blocks against its caller; discarded standard error
// goes to the null device. Callable from any thread.
class LocalProcessRunner final : public ProcessRunner {
  public:
    using ProcessRunner::run;
    ProcessResult run(const QString& executable, const QStringList& arguments,
                      StandardErrorHandling standardError) override;
};

} // namespace nimbrel
