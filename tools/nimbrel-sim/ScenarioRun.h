#pragma once

#include "PanelUser.h"
#include "SimProgram.h"
#include "Transcript.h"

#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/RecordingUserNotifications.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"

#include <QJsonObject>
#include <QJsonValue>

#include <functional>
#include <memory>

namespace nimbrel::simtool {

// Plain JSON becomes the closest typed value; {"type": ..., "value": ...} is taken as typed.
QVariant defaultsValue(const QJsonValue& value);

// User notifications show up in the transcript when they are delivered.
class TranscriptUserNotifications final : public RecordingUserNotifications {
  public:
    TranscriptUserNotifications(Scheduler& s, Clock& c, std::function<void(const NotificationRequest&)> show)
        : RecordingUserNotifications(s, c), show_(std::move(show)) {}

  protected:
    void present(const NotificationRequest& request) override { show_(request); }

  private:
    std::function<void(const NotificationRequest&)> show_;
};

// One run of a scenario: virtual time, the simulated Mac in the work folder with the
// scenario's desktop, defaults and files, the program on it, and the transcript of what
// happens. The timeline's steps act on it (ScenarioMacSteps.cpp, ScenarioProgramSteps.cpp).
class ScenarioRun {
  public:
    // `launching` runs as each launch of the program begins, with its platform installed.
    ScenarioRun(const QJsonObject& scenario, const QString& workFolder, std::function<void(Platform&)> launching);
    ~ScenarioRun();
    ScenarioRun(const ScenarioRun&) = delete;
    ScenarioRun& operator=(const ScenarioRun&) = delete;

    // Plays the timeline, lets the settling time pass and writes the final state.
    QStringList play(bool saveState);

    sim::SimulatedPlatform& sim() { return sim_; }
    sim::SimulatedMac& mac() { return sim_.mac(); }
    SimProgram& program() { return *program_; }
    UserDefaults& defaults() { return defaults_; }
    const RecordingUserNotifications& userNotifications() const { return userNotifications_; }
    VirtualScheduler& scheduler() { return scheduler_; }
    const Locations& locations() const { return locations_; }
    Transcript& transcript() { return transcript_; }

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
    // Starts the program, unless it runs already.
    void launchProgram();

  private:
    void setUp(const QJsonObject& scenario);
    void runStep(const QJsonObject& step);
    // Stops writing down what happens (the log, activities, the Mac's events).
    void stopWriting();

    QJsonObject scenario_;
    Date start_;
    VirtualScheduler scheduler_;
    Transcript transcript_;
    Locations locations_;
    NotificationCenter notifications_;
    InMemoryUserDefaults defaults_;
    TranscriptUserNotifications userNotifications_;
    sim::SimulatedPlatform sim_;
    Platform platform_;
    std::unique_ptr<ScopedPlatform> installed_;
    std::unique_ptr<SimProgram> program_;
    size_t notificationsSeen_ = 0;
    panel::Seen printed_;
    ObserverToken activityToken_;
    LogSink previousSink_;
};

// The timeline's steps, by their "do": each answers false for a step it does not know.
bool runMacStep(ScenarioRun& run, const QString& what, const QJsonObject& step);
bool runProgramStep(ScenarioRun& run, const QString& what, const QJsonObject& step);

} // namespace nimbrel::simtool
