#include "ScenarioRun.h"

#include "ScenarioDesktop.h"

#include "app/ShellController.h"
#include "platform/Calendar.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/SharedInstance.h"
#include "platform/local/TypedValueCoding.h"
#include "platform/simulated/SimDesktopDump.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace nimbrel::simtool {

namespace {

const QString kActivityNotification = QStringLiteral("nimbrelRecordActivity");

QString describeMap(const QVariantMap& map) {
    QStringList parts;
    for (auto it = map.begin(); it != map.end(); ++it)
        parts << it.key() + QLatin1Char('=') + it.value().toString();
    return parts.isEmpty() ? QString() : QStringLiteral(" {") + parts.join(QStringLiteral(", ")) + QLatin1Char('}');
}

Locations locationsIn(const QString& workFolder) {
    QDir().mkpath(workFolder);
    return Locations::underRoot(workFolder);
}

} // namespace

Date scenarioStart(const QJsonObject& scenario) {
    return parseISO8601(scenario.value(QStringLiteral("start")).toString(QStringLiteral("2026-12-07T09:00:00Z")))
        .value_or(Date{0});
}

QVariant defaultsValue(const QJsonValue& v) {
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        if (o.size() == 2 && o.contains(QStringLiteral("type")) && o.contains(QStringLiteral("value")))
            if (auto typed = decodeTypedValue(o)) return *typed;
        QVariantMap map;
        for (auto it = o.begin(); it != o.end(); ++it)
            map.insert(it.key(), defaultsValue(it.value()));
        return map;
    }
    if (v.isArray()) {
        QVariantList list;
        for (const QJsonValue& item : v.toArray())
            list << defaultsValue(item);
        return list;
    }
    if (v.isBool()) return v.toBool();
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d == static_cast<double>(static_cast<qint64>(d))) return QVariant(static_cast<qint64>(d));
        return d;
    }
    if (v.isString()) return v.toString();
    return {};
}

ScenarioRun::Context::Context(ScenarioRun& run)
    : platform_(run.program_ && run.program_->platform() ? *run.program_->platform() : run.platform_),
      instances_(run.instances_),
      previousSink_(setLogSink([&run](const QString& line) { run.print(QStringLiteral("log"), line); })),
      previousZone_(currentTimeZone()) {
    setCurrentTimeZone(run.zone_);
}

ScenarioRun::Context::~Context() {
    setCurrentTimeZone(previousZone_);
    setLogSink(previousSink_);
}

ScenarioRun::ScenarioRun(const QJsonObject& scenario, const QString& workFolder,
                         std::function<void(Platform&)> launching, ScenarioMacRole role)
    : scenario_(scenario), name_(role.name), prefix_(role.name.isEmpty() ? QString() : role.name + QLatin1Char(' ')),
      start_(scenarioStart(scenario)),
      zone_(scenario.value(QStringLiteral("timeZone")).toString(QStringLiteral("UTC")).toUtf8()), scheduler_(start_),
      ownTranscript_(role.transcript ? nullptr : std::make_unique<Transcript>(scheduler_, start_, workFolder)),
      transcript_(role.transcript ? role.transcript : ownTranscript_.get()), locations_(locationsIn(workFolder)),
      userNotifications_(
          scheduler_, scheduler_,
          [this](const NotificationRequest& r) {
              print(QStringLiteral("user-notification"), QStringLiteral("%1 \u2014 %2").arg(r.title, r.body));
          },
          [this](const QString& text) { print(QStringLiteral("notification-center"), text); }),
      sim_(scheduler_, scheduler_, sim::SimulatedPlatform::defaultFolder(locations_), role.cloudFile) {
    if (ownTranscript_) {
        transcript_->raw(QStringLiteral("# scenario: ") +
                         scenario_.value(QStringLiteral("description")).toString(QStringLiteral("(untitled)")));
        transcript_->keepIdsOf(QJsonDocument(scenario_).toJson(QJsonDocument::Compact));
    }
    // The clock's wall time, and so every schedule, reads the same on every machine. Each Mac
    // has its own zone, current while its work runs (Context).
    if (!zone_.isValid())
        error(QStringLiteral("unknown time zone ") +
              scenario_.value(QStringLiteral("timeZone")).toString(QStringLiteral("UTC")));
    notifications_.setRecording(true);
    platform_.scheduler = &scheduler_;
    platform_.clock = &scheduler_;
    platform_.notifications = &notifications_;
    platform_.defaults = &defaults_;
    platform_.locations = locations_;
    platform_.userNotifications = &userNotifications_;
    sim_.fill(platform_);

    SimProgram::Events events;
    events.launching = std::move(launching);
    events.partStarted = [this](const QString& name) { print(QStringLiteral("start"), name); };
    events.ended = [this](int status) {
        print(QStringLiteral("program"), QStringLiteral("ended with status %1").arg(status));
    };
    program_ = std::make_unique<SimProgram>(platform_, std::move(events));
    setLogToStdout(false);
    Context context(*this);
    setUp(scenario_);
}

ScenarioRun::~ScenarioRun() {
    Context context(*this);
    stopWriting();
    program_.reset();
    instances_.reset();
    sim_.cloud().setTrace({});
    setLogToStdout(true);
    setAtomicWriteFaultForTesting({});
}

void ScenarioRun::pair(ScenarioRun& peer) {
    together_ = {this, &peer};
    peer.together_ = together_;
    peer.leader_ = this;
}

bool ScenarioRun::playNextStep() {
    const QJsonArray timeline = scenario_.value(QStringLiteral("timeline")).toArray();
    if (nextStep_ >= size_t(timeline.size())) return false;
    runStep(timeline.at(qsizetype(nextStep_++)).toObject());
    return true;
}

int ScenarioRun::keepAlertOpen(const AlertRequest& request) {
    openAlerts_.push_back({request, std::nullopt});
    // The step that was waiting for its time when the alert opened comes first, at its time.
    if (std::optional<QJsonObject> waiting = std::exchange(leader_->waitingStep_, std::nullopt))
        leader_->runStep(*waiting);
    while (!openAlerts_.back().answer && leader_->playNextStep()) {
    }
    const std::optional<int> answer = openAlerts_.back().answer;
    openAlerts_.pop_back();
    if (answer) return *answer;
    Context context(*this);
    error(QStringLiteral("the alert \"%1\" was still open when the timeline ended: its first button answers")
              .arg(request.messageText));
    return 0;
}

bool ScenarioRun::answerAlert(int buttonIndex) {
    if (openAlerts_.empty() || openAlerts_.back().answer) return false;
    openAlerts_.back().answer = buttonIndex;
    return true;
}

const AlertRequest* ScenarioRun::openAlert() const {
    return openAlerts_.empty() || openAlerts_.back().answer ? nullptr : &openAlerts_.back().request;
}

bool ScenarioRun::killProgram() {
    if (!program_->isRunning()) return false;
    print(QStringLiteral("program"), QStringLiteral("killed"));
    // A killed process says nothing more: what its objects print as they go is not written.
    writing_ = false;
    program_->kill();
    writing_ = true;
    return true;
}

void ScenarioRun::traceCloud(bool on) {
    if (on)
        sim_.cloud().setTrace([this](const QString& line) { print(QStringLiteral("cloud"), line); });
    else
        sim_.cloud().setTrace({});
}

void ScenarioRun::stopWriting() {
    sim_.cloud().setTrace({});
    sim_.mac().recorder().setListener({});
    activityToken_.reset();
    writing_ = false;
}

void ScenarioRun::launchProgram() {
    // A program that was asked to quit ends on the loop's next turn; a launch waits for that.
    if (program_->isEnding()) {
        endOfEvent();
        advance(0);
    }
    if (program_->isRunning()) {
        error(QStringLiteral("the program is running already"));
        return;
    }
    print(QStringLiteral("program"), QStringLiteral("launched"));
    program_->launch();
    ShellController* shell = program_->shell();
    auto changed = [this](bool panel) {
        if (!panelChangedFirst_) panelChangedFirst_ = panel;
    };
    QObject::connect(shell, &ShellController::statusItemChanged, shell, [changed] { changed(false); });
    QObject::connect(shell, &ShellController::panelChanged, shell, [changed] { changed(true); });
    QObject::connect(shell, &ShellController::panelContentChanged, shell, [changed] { changed(true); });
    QObject::connect(shell, &ShellController::panelFrameChanged, shell, [changed] { changed(true); });
}

void ScenarioRun::setUp(const QJsonObject& scenario) {
    // The desktop, stored defaults and files, before anything of the program runs.
    for (const QString& problem : applyDesktop(sim_, scenario.value(QStringLiteral("desktop")).toObject()))
        error(problem);
    const QJsonObject storedDefaults = scenario.value(QStringLiteral("defaults")).toObject();
    for (auto it = storedDefaults.begin(); it != storedDefaults.end(); ++it)
        defaults_.set(it.key(), defaultsValue(it.value()));
    auto writeFiles = [&](const QJsonObject& files, const std::function<QString(const QString&)>& real) {
        for (auto it = files.begin(); it != files.end(); ++it) {
            const QString path = real(it.key());
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            const QByteArray content = it.value().isString()
                                           ? it.value().toString().toUtf8()
                                           : QJsonDocument::fromVariant(it.value().toVariant()).toJson();
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
                error(QStringLiteral("cannot write ") + it.key());
        }
    };
    writeFiles(scenario.value(QStringLiteral("files")).toObject(),
               [&](const QString& p) { return sim_.mac().realPath(p); });
    writeFiles(scenario.value(QStringLiteral("supportFiles")).toObject(),
               [&](const QString& p) { return locations_.nimbrelSupportFolder() + QLatin1Char('/') + p; });

    // Everything from here on is written down as it happens.
    notificationsSeen_ = notifications_.posted().size();
    activityToken_ = notifications_.addObserver(kActivityNotification, [this](const Notification& n) {
        print(QStringLiteral("activity"), QStringLiteral("%1 \"%2\" %3")
                                              .arg(n.userInfo.value(QStringLiteral("type")).toString(),
                                                   n.userInfo.value(QStringLiteral("title")).toString(),
                                                   n.userInfo.value(QStringLiteral("message")).toString()));
    });
    sim_.mac().recorder().setListener([this](const sim::Event& e) { print(sim::eventKindName(e.kind), e.text); });
    for (const QString& problem : applyKeychain(sim_.keychain(), scenario.value(QStringLiteral("keychain")).toObject()))
        error(problem);
    if (scenario.value(QStringLiteral("traceCloud")).toBool()) traceCloud(true);
    for (const QString& problem :
         applyNotificationCenter(*this, scenario.value(QStringLiteral("notificationCenter")).toObject()))
        error(problem);
    // "alertsStayOpen": an alert without a scripted answer waits for an answerAlert step.
    if (scenario.value(QStringLiteral("alertsStayOpen")).toBool())
        sim_.alerts().setModalLoop([this](const AlertRequest& request) { return keepAlertOpen(request); });

    if (scenario.value(QStringLiteral("launchProgram")).toBool(true)) {
        launchProgram();
        endOfEvent();
    }
}

void ScenarioRun::print(const QString& kind, const QString& text) {
    if (!writing_) return;
    flush();
    write(kind, text);
}

void ScenarioRun::write(const QString& kind, const QString& text) {
    transcript_->line(scheduler_.now(), prefix_ + kind, text);
}

void ScenarioRun::flush() {
    const auto& posted = notifications_.posted();
    for (; notificationsSeen_ < posted.size(); ++notificationsSeen_) {
        const Notification& n = posted[notificationsSeen_];
        if (n.name == kActivityNotification) continue;
        write(QStringLiteral("notification"), n.name + describeMap(n.userInfo));
    }
}

void ScenarioRun::endOfEvent() {
    // What the event loop does between events: objects the views let go of are deleted,
    // and the screen shows the outcome.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    flush();
    const panel::Seen seen = panel::seen(program_->shell());
    auto statusItem = [&] {
        if (seen.statusItem != printed_.statusItem)
            write(QStringLiteral("status-item"), seen.statusItem.isEmpty() ? QStringLiteral("removed") : seen.statusItem);
    };
    const bool panelFirst = panelChangedFirst_.value_or(false);
    panelChangedFirst_.reset();
    if (!panelFirst) statusItem();
    if (seen.panel != printed_.panel)
        write(QStringLiteral("panel"), seen.panel.isEmpty() ? QStringLiteral("hidden") : seen.panel);
    if (panelFirst) statusItem();
    // The texts of a screen that is not shown are not seen: the last ones seen stand.
    if (!seen.panelText.isEmpty() && seen.panelText != printed_.panelText)
        write(QStringLiteral("panel-text"), seen.panelText);
    printed_.statusItem = seen.statusItem;
    printed_.panel = seen.panel;
    // A program launched again shows its texts afresh.
    if (!seen.panelText.isEmpty() || !program_->isRunning()) printed_.panelText = seen.panelText;
}

std::optional<Date> ScenarioRun::nextDue() const {
    const auto in = scheduler_.nextDueIn();
    if (!in) return std::nullopt;
    return scheduler_.now().addingSeconds(*in);
}

void ScenarioRun::runUntil(Date at) {
    Context context(*this);
    scheduler_.advanceTo(at);
    endOfEvent();
}

void ScenarioRun::advance(double seconds) {
    const Date target = scheduler_.now().addingSeconds(std::max(0.0, seconds));
    while (true) {
        // The Mac whose work falls due first goes; the first Mac first at the same moment.
        ScenarioRun* next = nullptr;
        Date at;
        for (ScenarioRun* run : together_) {
            const std::optional<Date> due = run->nextDue();
            if (due && *due <= target && (!next || *due < at)) {
                next = run;
                at = *due;
            }
        }
        if (!next) break;
        next->runUntil(at);
    }
    for (ScenarioRun* run : together_)
        run->runUntil(target);
}

void ScenarioRun::runStep(const QJsonObject& step) {
    if (step.contains(QStringLiteral("at"))) {
        const Date at = start_.addingSeconds(step.value(QStringLiteral("at")).toDouble());
        waitingStep_ = step;
        if (at > scheduler_.now()) advance(at.secondsSince(scheduler_.now()));
        // An alert that opened meanwhile took the step over (keepAlertOpen) and did it.
        if (!waitingStep_) return;
        waitingStep_.reset();
    }
    if (!step.contains(QStringLiteral("mac"))) return doStep(step);
    const QString mac = step.value(QStringLiteral("mac")).toString();
    for (ScenarioRun* run : together_)
        if (!run->name_.isEmpty() && run->name_ == mac) return run->doStep(step);
    Context context(*this);
    error(QStringLiteral("no Mac named \"%1\"").arg(mac));
}

void ScenarioRun::doStep(const QJsonObject& step) {
    Context context(*this);
    const QString what = step.value(QStringLiteral("do")).toString();
    // While one of its alerts is open, the program's own screens and menus take no clicks.
    if (const AlertRequest* alert = openAlert(); alert && usesTheProgram(what)) {
        error(QStringLiteral("%1: the alert \"%2\" is open").arg(what, alert->messageText));
        return endOfEvent();
    }
    if (isProgramStep(what)) {
        // A person's click on the program's item or panel is an event of its own: what the
        // last one left for the loop's next turn runs first.
        advance(0);
    }
    if (!runMacStep(*this, what, step) && !runProgramStep(*this, what, step) && !runCloudStep(*this, what, step) &&
        !runEditStep(*this, what, step) && !runSettingsStep(*this, what, step) &&
        !runNotificationStep(*this, what, step) && !runMacFaultStep(*this, what, step) &&
        !runCloudDatabaseStep(*this, what, step) && !runKeychainStep(*this, what, step))
        error(QStringLiteral("unknown step \"%1\"").arg(what));
    endOfEvent();
}

void ScenarioRun::finish(bool saveState) {
    Context context(*this);
    program_.reset();
    if (saveState) {
        QString problem;
        if (!sim_.save(&problem)) transcript_->raw(QStringLiteral("could not save the simulated Mac: ") + problem);
    }
}

QStringList ScenarioRun::play(bool saveState) {
    while (playNextStep()) {
    }
    advance(scenario_.value(QStringLiteral("settleSeconds")).toDouble(5));

    // Nothing after the settling time is written down, also not what a running program
    // does as the run ends.
    for (ScenarioRun* run : together_)
        run->stopWriting();
    if (together_.size() == 1) {
        transcript_->raw(QStringLiteral("== final state =="));
        for (const QString& l : sim::describeDesktop(sim_.mac()))
            transcript_->raw(l);
    } else {
        // Two Macs end with what each holds of what syncs.
        for (ScenarioRun* run : together_) {
            transcript_->raw(QStringLiteral("== final state of ") + run->name_ + QStringLiteral(" =="));
            Context context(*run);
            for (const QString& l : run->syncedState())
                transcript_->raw(QStringLiteral("  ") + l);
        }
    }
    for (ScenarioRun* run : together_)
        run->finish(saveState);
    return transcript_->lines();
}

} // namespace nimbrel::simtool
