#pragma once

#include "PanelUser.h"
#include "SimProgram.h"
#include "Transcript.h"

#include "platform/Alerts.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/RecordingUserNotifications.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QTimeZone>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace nimbrel::simtool {

// The scenario's "start", 2026-12-07T09:00:00Z when it has none.
Date scenarioStart(const QJsonObject& scenario);

// Plain JSON becomes the closest typed value; {"type": ..., "value": ...} is taken as typed.
QVariant defaultsValue(const QJsonValue& value);

// User notifications show up in the transcript when they are delivered, and requests for the
// permission to show them when the scenario asks.
class TranscriptUserNotifications final : public RecordingUserNotifications {
  public:
    TranscriptUserNotifications(Scheduler& s, Clock& c, std::function<void(const NotificationRequest&)> show,
                                std::function<void(const QString&)> tell)
        : RecordingUserNotifications(s, c), show_(std::move(show)), tell_(std::move(tell)) {}

    void requestAuthorization(unsigned options, AuthorizationCompletion completion) override;
    void setShowRequests(bool show) { showRequests_ = show; }

  protected:
    void present(const NotificationRequest& request) override { show_(request); }

  private:
    std::function<void(const NotificationRequest&)> show_;
    std::function<void(const QString&)> tell_;
    bool showRequests_ = false;
};

// Which Mac of a pair a run is; the defaults make a run of its own.
struct ScenarioMacRole {
    QString name;                     // "A", "B"; empty for a run alone
    QString cloudFile;                // the shared cloud; empty for the Mac's own
    Transcript* transcript = nullptr; // the pair's transcript; none for a transcript of its own
};

// One run of a scenario: virtual time, the simulated Mac in the work folder with the
// scenario's desktop, defaults and files, the program on it, and the transcript of what
// happens. The timeline's steps act on it (ScenarioMacSteps.cpp, ScenarioProgramSteps.cpp,
// ScenarioCloudSteps.cpp). Two runs paired are two Macs of one account: one cloud file, one
// transcript whose lines carry the Mac's name, time passing for both in step.
class ScenarioRun {
  public:
    // `launching` runs as each launch of the program begins, with its platform installed.
    ScenarioRun(const QJsonObject& scenario, const QString& workFolder, std::function<void(Platform&)> launching,
                ScenarioMacRole role = {});
    ~ScenarioRun();
    ScenarioRun(const ScenarioRun&) = delete;
    ScenarioRun& operator=(const ScenarioRun&) = delete;

    // Plays the timeline, lets the settling time pass and writes the final state.
    QStringList play(bool saveState);

    // Lets `peer` live in step with this run; steps with "mac": its name act on it.
    void pair(ScenarioRun& peer);
    const QString& name() const { return name_; }
    Date start() const { return start_; }

    sim::SimulatedPlatform& sim() { return sim_; }
    sim::SimulatedMac& mac() { return sim_.mac(); }
    SimProgram& program() { return *program_; }
    UserDefaults& defaults() { return defaults_; }
    TranscriptUserNotifications& userNotifications() { return userNotifications_; }
    VirtualScheduler& scheduler() { return scheduler_; }
    const Locations& locations() const { return locations_; }
    Transcript& transcript() { return *transcript_; }
    // What syncs between Macs, as the running program holds it: one line per kind.
    QStringList syncedState();

    // Writes a line after whatever happened before it.
    void print(const QString& kind, const QString& text);
    void step(const QString& text) { print(QStringLiteral("step"), text); }
    void error(const QString& text) { print(QStringLiteral("scenario-error"), text); }
    // Lets `seconds` pass, stopping at each piece of work that falls due, so that what it
    // does is written at its own time.
    void advance(double seconds);
    // Writes the notices posted since the last line.
    void flush();
    // An event (a step, or work that fell due) is over: writes what changed of what the user
    // sees (the status item, the panel and its texts), as the screen would show it now.
    void endOfEvent();
    // Starts the program, unless it runs already (one that is quitting is let end first).
    void launchProgram();
    // Ends the program as SIGKILL would (without its quit sequence); false when it is not running.
    bool killProgram();
    // Writes each call that reaches the cloud database, and its answer, as a `cloud` line.
    void traceCloud(bool on);
    // Answers the front alert that stays open on this Mac with the button of this index;
    // false when none is open.
    bool answerAlert(int buttonIndex);
    // The open alert's request, when one stays open on this Mac.
    const AlertRequest* openAlert() const;

  private:
    // This Mac's platform (its running program's, if any), shared instances and log, for
    // the work done in its name.
    class Context {
      public:
        explicit Context(ScenarioRun& run);
        ~Context();

      private:
        ScopedPlatform platform_;
        ScopedSharedInstances instances_;
        LogSink previousSink_;
        QTimeZone previousZone_;
    };

    void setUp(const QJsonObject& scenario);
    // Runs the timeline's next step; false when there is none left.
    bool playNextStep();
    // An alert that stays open: the timeline goes on until a step answers it.
    int keepAlertOpen(const AlertRequest& request);
    void runStep(const QJsonObject& step);
    void doStep(const QJsonObject& step);
    std::optional<Date> nextDue() const;
    // Runs this Mac's work due until `at`, as one event.
    void runUntil(Date at);
    void write(const QString& kind, const QString& text);
    // Stops writing down what happens (the log, activities, the Mac's events).
    void stopWriting();
    void finish(bool saveState);

    QJsonObject scenario_;
    QString name_;
    QString prefix_;
    Date start_;
    // The zone of this Mac's wall clock, current while its work runs.
    QTimeZone zone_;
    VirtualScheduler scheduler_;
    std::unique_ptr<Transcript> ownTranscript_;
    Transcript* transcript_;
    Locations locations_;
    NotificationCenter notifications_;
    InMemoryUserDefaults defaults_;
    TranscriptUserNotifications userNotifications_;
    sim::SimulatedPlatform sim_;
    Platform platform_;
    SharedInstanceSet instances_;
    std::unique_ptr<SimProgram> program_;
    size_t notificationsSeen_ = 0;
    panel::Seen printed_;
    // Whether the panel changed before the status item in the current event: lines follow
    // the order in which things changed.
    std::optional<bool> panelChangedFirst_;
    ObserverToken activityToken_;
    bool writing_ = true;
    // The Macs whose time passes together, this one among them.
    std::vector<ScenarioRun*> together_{this};
    // The run that plays the timeline (the first Mac), and how far it got.
    ScenarioRun* leader_ = this;
    size_t nextStep_ = 0;
    // The step waiting for its "at" while time passes.
    std::optional<QJsonObject> waitingStep_;
    // Alerts open on this Mac, the front one last, each with its answer once given.
    struct OpenAlert {
        AlertRequest request;
        std::optional<int> answer;
    };
    std::vector<OpenAlert> openAlerts_;
};

// The timeline's steps, by their "do": each answers false for a step it does not know.
bool runMacStep(ScenarioRun& run, const QString& what, const QJsonObject& step);
bool runProgramStep(ScenarioRun& run, const QString& what, const QJsonObject& step);
bool runCloudStep(ScenarioRun& run, const QString& what, const QJsonObject& step);
bool runNotificationStep(ScenarioRun& run, const QString& what, const QJsonObject& step);
// Sets the notification center as a "notificationCenter" object asks; returns the problems
// found and, in `done`, what was done.
QStringList applyNotificationCenter(ScenarioRun& run, const QJsonObject& members, QStringList* done = nullptr);
bool runMacFaultStep(ScenarioRun& run, const QString& what, const QJsonObject& step);
bool runSettingsStep(ScenarioRun& run, const QString& what, const QJsonObject& step);
bool runEditStep(ScenarioRun& run, const QString& what, const QJsonObject& step);
bool runCloudDatabaseStep(ScenarioRun& run, const QString& what, const QJsonObject& step);
bool runKeychainStep(ScenarioRun& run, const QString& what, const QJsonObject& step);
// Stores a "keychain" object's "items" and sets its "reads" status; returns the problems
// found and, in `done`, what was done.
QStringList applyKeychain(InMemoryKeychain& keychain, const QJsonObject& members, QStringList* done = nullptr);
// The devices this Mac's program lists, the cloud's device registry and its device records.
QStringList deviceLines(ScenarioRun& run, Date start);
// Whether `what` is one of runProgramStep's.
bool isProgramStep(const QString& what);
// Whether `what` is done through the program's own item, panel and screens (or ends it).
bool usesTheProgram(const QString& what);

} // namespace nimbrel::simtool
