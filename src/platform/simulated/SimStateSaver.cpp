#include "platform/simulated/SimStateSaver.h"

#include "platform/simulated/SimulatedMac.h"

#include <QJsonDocument>

namespace nimbrel::sim {

SimStateSaver::SimStateSaver(SimulatedMac& mac, Scheduler& scheduler, QString path, double delay)
    : mac_(mac), scheduler_(scheduler), delay_(delay),
      writer_(std::move(path), -1, std::chrono::milliseconds(0), SimulatedMac::kMaxStateFileBytes) {
    // Every change the Mac makes is recorded: the desktop's view follows the same events.
    listener_ = mac_.recorder().addListener([this, alive = lifetime_.watch()](const Event&) {
        if (!alive.expired()) changed();
    });
}

SimStateSaver::~SimStateSaver() {
    listener_.reset();
    if (pending_) {
        pending_->cancel();
        submit();
    }
}

void SimStateSaver::changed() {
    if (pending_) return;
    pending_ = scheduler_.after(delay_, lifetime_.guard([this] {
        pending_.reset();
        submit();
    }));
}

void SimStateSaver::submit() {
    QJsonObject state = mac_.toJson();
    if (state == lastSubmitted_) return;
    lastSubmitted_ = state;
    writer_.submit([state = std::move(state)] { return QJsonDocument(state).toJson(QJsonDocument::Indented); });
}

bool SimStateSaver::saveNow(QString* error) {
    if (pending_) {
        pending_->cancel();
        pending_.reset();
    }
    submit();
    if (writer_.flush()) return true;
    // Not written: the next save tries again, whatever changed.
    lastSubmitted_ = QJsonObject();
    const std::optional<CoalescedFileWriter::Failure> failure = writer_.takeFailure();
    if (error) *error = failure ? failure->error : QStringLiteral("the state could not be written");
    return false;
}

} // namespace nimbrel::sim
