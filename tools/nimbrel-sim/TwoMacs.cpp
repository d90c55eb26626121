#include "TwoMacs.h"

#include "activity/ActivityRecorder.h"
#include "engine/NimbrelEngine.h"
#include "model/RulesStore.h"
#include "sessions/SessionsStore.h"

#include <QDir>

namespace nimbrel::simtool {

TwoMacs::Mac::Context::Context(Mac& mac)
    : platform(mac.process_->platform), instances(mac.instances_), previousSink(setLogSink([&mac](const QString& line) {
          if (mac.lines_) mac.lines_->append(mac.name_ + QStringLiteral(": ") + line);
      })) {}

TwoMacs::Mac::Context::~Context() {
    setLogSink(previousSink);
}

TwoMacs::Mac::Mac(QString name, const QString& folder, const QString& cloudFile, Date start)
    : name_(std::move(name)), folder_(folder), scheduler_(start) {
    QDir().mkpath(folder_);
    simulated_ =
        std::make_unique<sim::SimulatedPlatform>(scheduler_, scheduler_, folder_ + QStringLiteral("/mac"), cloudFile);
    simulated_->mac().identity().hostName = QStringLiteral("Mac ") + name_;
    base_.scheduler = &scheduler_;
    base_.clock = &scheduler_;
    base_.notifications = &notifications_;
    base_.defaults = &defaults_;
    base_.locations = Locations::underRoot(folder_ + QStringLiteral("/program"));
    base_.userNotifications = &userNotifications_;
    simulated_->fill(base_);
    process_ = std::make_unique<Process>(scheduler_, base_);
    activityToken_ = notifications_.addObserver(kRecordActivityNotification, [this](const Notification& n) {
        activities_ << n.userInfo.value(QStringLiteral("type")).toString() + QStringLiteral(": ") +
                           n.userInfo.value(QStringLiteral("title")).toString() + QStringLiteral(": ") +
                           n.userInfo.value(QStringLiteral("message")).toString();
    });
}

TwoMacs::Mac::Process::Process(VirtualScheduler& machine, const Platform& base)
    : scheduler(machine), cloud(*base.cloud), platform(base) {
    platform.scheduler = &scheduler;
    platform.cloud = &cloud;
}

TwoMacs::Mac::~Mac() {
    // The program's instances go first, in this Mac's context, while its platform still stands.
    Context context(*this);
    instances_.reset();
}

void TwoMacs::Mac::killProcess() {
    {
        Context context(*this);
        // What its objects write as they go would not be written by a killed process; the other
        // Mac's writes go on.
        const AtomicWriteFault previous = setAtomicWriteFaultForTesting({});
        setAtomicWriteFaultForTesting([previous, mine = folder_ + QLatin1Char('/')](const QString& path) {
            if (path.startsWith(mine)) return std::optional<QString>(QStringLiteral("The process was killed."));
            return previous ? previous(path) : std::nullopt;
        });
        instances_.reset();
        setAtomicWriteFaultForTesting(previous);
    }
    process_->scheduler.end();
    process_->cloud.end();
    defaults_.loseUnwritten();
    ended_.push_back(std::exchange(process_, std::make_unique<Process>(scheduler_, base_)));
}

TwoMacs::TwoMacs(const QString& folder, Date start, QString cloudFile) {
    if (cloudFile.isEmpty()) cloudFile = folder + QStringLiteral("/cloud.sqlite");
    a_ = std::make_unique<Mac>(QStringLiteral("A"), folder + QStringLiteral("/A"), cloudFile, start);
    b_ = std::make_unique<Mac>(QStringLiteral("B"), folder + QStringLiteral("/B"), cloudFile, start);
    a_->lines_ = &lines_;
    b_->lines_ = &lines_;
    setLogToStdout(false);
}

TwoMacs::~TwoMacs() {
    b_.reset();
    a_.reset();
    setLogToStdout(true);
}

void TwoMacs::launch(Mac& mac) {
    mac.run([&mac] {
        NimbrelEngine::shared().startMonitoring();
        mac.scheduler().after(1.0, [] {
            NimbrelSessionsStore::applyGlobalPauseState();
            NimbrelRulesStore::shared();
        });
    });
}

void TwoMacs::restart(Mac& mac) {
    mac.killProcess();
    launch(mac);
}

void TwoMacs::runDue(Mac& mac, Date until) {
    mac.run([&] { mac.scheduler_.advanceTo(until); });
}

void TwoMacs::advance(double seconds) {
    const Date target = now().addingSeconds(seconds);
    for (;;) {
        // The Mac whose next work falls due first goes; A before B at the same moment.
        auto dueAt = [](Mac& mac) -> std::optional<Date> {
            auto in = mac.scheduler_.nextDueIn();
            if (!in) return std::nullopt;
            return mac.scheduler_.now().addingSeconds(*in);
        };
        const std::optional<Date> dueA = dueAt(*a_);
        const std::optional<Date> dueB = dueAt(*b_);
        std::optional<Date> next;
        Mac* mac = nullptr;
        if (dueA && *dueA <= target) {
            next = dueA;
            mac = a_.get();
        }
        if (dueB && *dueB <= target && (!next || *dueB < *next)) {
            next = dueB;
            mac = b_.get();
        }
        if (!mac) break;
        runDue(*mac, *next);
    }
    runDue(*a_, target);
    runDue(*b_, target);
}

} // namespace nimbrel::simtool
