#pragma once

#include "ProcessCloud.h"
#include "ProcessScheduler.h"
#include "WrittenBehindDefaults.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/RecordingUserNotifications.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace nimbrel::simtool {

// Two Macs of one account, each running a whole Nimbrel core over its own simulated Mac: its
// own defaults, data folder, keychain, shared instances and virtual clock, and one cloud
// database file between them. Time passes for both in step: work runs in order of its due
// time across the two Macs, each in its own context (its platform and shared instances
// installed, its log lines and activities collected under its name).
class TwoMacs {
  public:
    class Mac {
      public:
        Mac(QString name, const QString& folder, const QString& cloudFile, Date start);
        ~Mac();

        const QString& name() const { return name_; }
        // The running program's platform: its scheduler is the program's own, ending with it.
        Platform& platform() { return process_->platform; }
        // The Mac's scheduler and clock, which outlive the program.
        VirtualScheduler& scheduler() { return scheduler_; }
        WrittenBehindDefaults& defaults() { return defaults_; }
        NotificationCenter& notifications() { return notifications_; }
        sim::SimulatedPlatform& simulated() { return *simulated_; }
        SqliteCloudService& cloud() { return simulated_->cloud(); }
        // "type: title: message" of every activity recorded on this Mac, in order.
        const QStringList& activities() const { return activities_; }
        QStringList takeActivities() { return std::exchange(activities_, {}); }

        // Runs `work` in this Mac's context and returns what it returns.
        template <typename F> decltype(auto) run(F&& work) {
            Context context(*this);
            return work();
        }

      private:
        friend class TwoMacs;
        // One run of the program: nothing it scheduled runs after it ended, and no cloud answer
        // reaches it.
        struct Process {
            Process(VirtualScheduler& machine, const Platform& base);
            ProcessScheduler scheduler;
            ProcessCloud cloud;
            Platform platform;
        };
        // The program is killed: its shared instances go without writing anything, its pending
        // work and cloud answers with them, and the preferences lose what had not reached the
        // disk. The platform it held stays, for whatever it left behind.
        void killProcess();

        struct Context {
            explicit Context(Mac& mac);
            ~Context();
            ScopedPlatform platform;
            ScopedSharedInstances instances;
            LogSink previousSink;
        };

        QString name_;
        QString folder_;
        VirtualScheduler scheduler_;
        NotificationCenter notifications_;
        WrittenBehindDefaults defaults_{scheduler_};
        RecordingUserNotifications userNotifications_{scheduler_, scheduler_};
        std::unique_ptr<sim::SimulatedPlatform> simulated_;
        Platform base_;
        std::unique_ptr<Process> process_;
        std::vector<std::unique_ptr<Process>> ended_;
        SharedInstanceSet instances_;
        QStringList activities_;
        QStringList* lines_ = nullptr;
        ObserverToken activityToken_;
    };

    // The Macs live in `folder` ("A", "B"); their cloud is `cloudFile` ("cloud.sqlite" in the
    // folder when none is given). Both clocks start at `start`.
    TwoMacs(const QString& folder, Date start, QString cloudFile = {});
    ~TwoMacs();

    Mac& a() { return *a_; }
    Mac& b() { return *b_; }

    // Starts Nimbrel on a Mac as its start-up does, minus the display: the Dock tap engine,
    // and 1.0 s later the sessions store and the rules store (and with them the settings
    // store, its account check and its cloud bootstrap).
    void launch(Mac& mac);
    // Kills the program on a Mac, as a crash or a forced quit ends it: nothing of it runs after
    // (no late answer, no write, no call), though a request that had reached the cloud may still
    // be written there. Then launches it again over the same defaults, files, keychain and cloud.
    void restart(Mac& mac);
    // Lets `seconds` pass on both Macs.
    void advance(double seconds);
    Date now() const { return a_->scheduler_.now(); }

    // Every log line of both Macs, "A: <line>", in the order they were printed.
    const QStringList& lines() const { return lines_; }

  private:
    void runDue(Mac& mac, Date until);

    QStringList lines_;
    std::unique_ptr<Mac> a_;
    std::unique_ptr<Mac> b_;
};

} // namespace nimbrel::simtool
