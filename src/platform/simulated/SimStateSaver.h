#pragma once

#include "platform/CoalescedFileWriter.h"
#include "platform/NotificationCenter.h"
#include "platform/Scheduler.h"

#include <QJsonObject>
#include <QString>

namespace nimbrel::sim {

class SimulatedMac;

// Saves the simulated Mac's state when it changes, not only at exit: `delay` after the first
// change, with everything that came meanwhile, the whole file written atomically by a thread
// of its own. A state equal to the last one saved is not written again.
class SimStateSaver {
  public:
    SimStateSaver(SimulatedMac& mac, Scheduler& scheduler, QString path, double delay);
    // Writes what waits.
    ~SimStateSaver();
    SimStateSaver(const SimStateSaver&) = delete;
    SimStateSaver& operator=(const SimStateSaver&) = delete;

    // Writes the state now and waits for it; false with `error` when it could not be written.
    bool saveNow(QString* error = nullptr);
    // Waits until what was handed to the writer so far is written, handing over nothing new.
    void waitForWrites() { writer_.flush(); }

  private:
    void changed();
    void submit();

    SimulatedMac& mac_;
    Scheduler& scheduler_;
    const double delay_;
    CoalescedFileWriter writer_;
    QJsonObject lastSubmitted_; // none yet: the first save always writes
    WorkHandle pending_;
    ObserverToken listener_;
    Lifetime lifetime_;
};

} // namespace nimbrel::sim
