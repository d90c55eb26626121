#include "activity/ActivityRecorder.h"
#include "engine/WindowManager.h"
#include "platform/Log.h"
#include "platform/SharedInstance.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "program/ProgramFacilities.h"
#include "program/ProgramTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <latch>
#include <mutex>
#include <thread>

namespace nimbrel {
namespace {

// The Mac's script runner, watched: where the worker's script has got to, and what it got.
class WatchedRunner final : public AppleScriptRunner {
  public:
    explicit WatchedRunner(AppleScriptRunner& inner) : inner_(inner) {}
    std::optional<QVariantMap> compile(const QString& source) override { return inner_.compile(source); }
    AppleScriptResult execute(const QString& source) override {
        asking = true;
        AppleScriptResult result = inner_.execute(source);
        {
            std::lock_guard lock(mutex_);
            outcome = result;
        }
        answered = true;
        return result;
    }
    std::optional<AppleScriptResult> takeOutcome() {
        std::lock_guard lock(mutex_);
        return outcome;
    }
    std::atomic<bool> asking{false};
    std::atomic<bool> answered{false};

  private:
    AppleScriptRunner& inner_;
    std::mutex mutex_;
    std::optional<AppleScriptResult> outcome;
};

// Ends the test program when a quit hangs instead of letting it wait for ever.
class Watchdog {
  public:
    Watchdog()
        : thread_([this] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::seconds(30), [this] { return finished_; })) {
                  std::fputs("quitting hung\n", stderr);
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }

  private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

TerminalScriptRuleAction echoInTerminal() {
    TerminalScriptRuleAction action;
    action.terminalApp.displayName = QStringLiteral("Terminal");
    action.terminalApp.bundleIdentifier = QStringLiteral("com.apple.Terminal");
    action.commands.push_back(TerminalScriptCommand{Uuid::random(), QStringLiteral("echo quitting")});
    return action;
}

// The program quits (its facilities end in the program's order) at each moment of a terminal
// script's life: nothing crashes or hangs, a script that never reached the terminal fails with
// a clear error and leaves no file, and the state is saved.
TEST(QuitDuringTerminalAction, AtEveryMomentTheProgramEndsCleanly) {
    enum class Moment {
        atOnce,
        whileTheWorkerWaitsForTheMainThread,
        afterTheTerminalAnswered,
        afterTheOutcomeCameBack
    };
    struct Case {
        Moment moment;
        bool terminalRefuses;
    };
    const Case cases[] = {
        {Moment::atOnce, false},
        {Moment::whileTheWorkerWaitsForTheMainThread, false},
        {Moment::afterTheTerminalAnswered, false},
        {Moment::afterTheTerminalAnswered, true},
        {Moment::afterTheOutcomeCameBack, true},
    };
    ensureApplication();
    setLogToStdout(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.moment) * 2 + c.terminalRefuses);
        Watchdog watchdog;
        QTemporaryDir dir;
        const Locations locations = Locations::underRoot(dir.path());
        auto facilities = std::make_unique<ProgramFacilities>(locations);
        sim::SimulatedPlatform& mac = facilities->simulated();
        WatchedRunner runner(mac.appleScript());
        facilities->platform().appleScript = &runner;
        ScopedPlatform installed(facilities->platform());
        if (c.terminalRefuses) mac.appleScript().failScriptsFor(QStringLiteral("com.apple.Terminal"), -1743);
        bool failureRecorded = false;
        ObserverToken activities =
            facilities->notifications().addObserver(kRecordActivityNotification, [&](const Notification& n) {
                failureRecorded |=
                    n.userInfo.value(QStringLiteral("title")) == QStringLiteral("Terminal Script Failed");
            });
        auto windows = std::make_unique<WindowManager>(facilities->platform());

        windows->terminal().runTerminalScript(echoInTerminal());
        switch (c.moment) {
        case Moment::atOnce:
            break;
        case Moment::whileTheWorkerWaitsForTheMainThread:
            while (!runner.asking)
                std::this_thread::yield();
            break;
        case Moment::afterTheTerminalAnswered:
            ASSERT_TRUE(spinUntil([&] { return runner.answered.load(); }));
            break;
        case Moment::afterTheOutcomeCameBack:
            ASSERT_TRUE(spinUntil([&] { return failureRecorded; }));
            break;
        }

        facilities->shutDown(); // as the program does once its loop has returned
        windows.reset();
        activities.reset();
        resetSharedInstances();

        const bool reached =
            c.moment == Moment::afterTheTerminalAnswered || c.moment == Moment::afterTheOutcomeCameBack;
        const std::optional<AppleScriptResult> outcome = runner.takeOutcome();
        EXPECT_EQ(mac.appleScript().sources().size(), reached ? 1 : 0);
        if (!reached && outcome) { // the worker got as far as asking: a clear failure
            ASSERT_TRUE(outcome->error);
            EXPECT_EQ(outcome->error->value(kAppleScriptErrorNumber).toInt(), kAppleScriptConnectionInvalid);
            EXPECT_EQ(outcome->error->value(kAppleScriptErrorMessage).toString(), sim::kNotRunWhileQuittingMessage);
        }
        if (!reached) {
            EXPECT_TRUE(QDir(locations.privateTemporary).entryList({QStringLiteral("*.sh")}, QDir::Files).isEmpty())
                << "a script the terminal never got leaves no file";
        }
        EXPECT_TRUE(QFile::exists(sim::SimulatedPlatform::defaultFolder(locations) + QStringLiteral("/state.json")));
        facilities.reset();
    }
    setLogToStdout(true);
}

// A preference set a moment before the end is in the file when shutDown() returns. The file's
// own writer is made to fail until it has tried once, so only the end's flush can write it.
TEST(QuitTest, APreferenceSetJustBeforeShutDownIsOnDiskAfterIt) {
    ensureApplication();
    QTemporaryDir dir;
    const Locations locations = Locations::underRoot(dir.path());
    const QString path = JsonFileUserDefaults::filePath(locations);
    std::once_flag once;
    std::latch tried(1);
    ProgramFacilities facilities(locations);
    const AtomicWriteFault previous = setAtomicWriteFaultForTesting([&](const QString& target) {
        if (target != path) return std::optional<QString>();
        std::call_once(once, [&] { tried.count_down(); });
        return std::optional<QString>(QStringLiteral("The disk is full."));
    });
    facilities.platform().defaults->setString(QStringLiteral("Nimbrel.lastWords"), QStringLiteral("goodbye"));
    tried.wait();
    setAtomicWriteFaultForTesting(previous);

    facilities.shutDown();
    EXPECT_EQ(JsonFileUserDefaults(path).stringValue(QStringLiteral("Nimbrel.lastWords")).value_or("<not in the file>"),
              QStringLiteral("goodbye"));
}

// Cloud saves on their way at the end (one answered by the database and waiting out the
// network's latency, one running or waiting): what reached the file stays, but nothing answers
// the program and no later call is made, even while the loop still turns.
TEST(QuitTest, CloudSavesOnTheirWayAtTheEndAreNeverAnswered) {
    ensureApplication();
    QTemporaryDir dir;
    ProgramFacilities facilities(Locations::underRoot(dir.path()));
    SqliteCloudService& cloud = facilities.simulated().cloud();
    cloud.conditions().latency = 0.2;
    const QString container = QStringLiteral("iCloud.com.nimbrel.app");
    CloudDatabase& db = cloud.container(container)->privateCloudDatabase();
    const auto record = [](const char* name) { return CloudRecord(QStringLiteral("NimbrelTest"), {name}); };
    int answered = 0;
    for (const char* name : {"first", "second"})
        db.saveRecord(record(name), [&](CloudResult<CloudRecord>) { ++answered; });
    // The second runs once the first's answer has come back from the database.
    ASSERT_TRUE(spinUntil([&] { return cloud.readDirectly(container, {"second"}).ok(); }));

    facilities.shutDown();
    db.saveRecord(record("after"), [&](CloudResult<CloudRecord>) { ++answered; });
    bool waited = false;
    facilities.scheduler().after(0.3, [&] { waited = true; });
    ASSERT_TRUE(spinUntil([&] { return waited; }));
    EXPECT_EQ(answered, 0);
    EXPECT_FALSE(cloud.readDirectly(container, {"after"}).ok());
}

} // namespace
} // namespace nimbrel
