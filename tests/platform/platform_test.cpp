#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/VirtualScheduler.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;

namespace {

QStringList* destroyed = nullptr;

struct Store {
    explicit Store(Platform& p) : platform(&p) {}
    ~Store() {
        if (destroyed) *destroyed << "Store";
    }
    static Store& shared() {
        return sharedInstance<Store>([] { return std::make_shared<Store>(Platform::current()); });
    }
    Platform* platform;
};

struct Manager {
    Manager() : store(&Store::shared()) {}
    ~Manager() {
        if (destroyed) *destroyed << "Manager";
    }
    static Manager& shared() {
        return sharedInstance<Manager>([] { return std::make_shared<Manager>(); });
    }
    Store* store;
};

// Work waiting inside it holds the instance itself, as a callback queued for later would.
struct Waiter : std::enable_shared_from_this<Waiter> {
    ~Waiter() {
        if (destroyed) *destroyed << "Waiter";
    }
    static Waiter& shared() {
        return sharedInstance<Waiter>([] { return std::make_shared<Waiter>(); });
    }
    void wait() {
        waiting.push_back([self = shared_from_this()] {});
    }
    void releasePendingWork() { waiting.clear(); }
    std::vector<std::function<void()>> waiting;
};

} // namespace

TEST(Platform, AnInstanceHeldByItsOwnWaitingWorkIsStillDestroyed) {
    QStringList order;
    destroyed = &order;
    Waiter::shared().wait();
    resetSharedInstances();
    EXPECT_EQ(order, QStringList{"Waiter"});
    destroyed = nullptr;
}

TEST(Platform, ScopedInstallationRestoresThePrevious) {
    Platform outer, inner;
    const bool wasInstalled = Platform::isInstalled();
    {
        ScopedPlatform a(outer);
        EXPECT_EQ(&Platform::current(), &outer);
        {
            ScopedPlatform b(inner);
            EXPECT_EQ(&Platform::current(), &inner);
        }
        EXPECT_EQ(&Platform::current(), &outer);
    }
    EXPECT_EQ(Platform::isInstalled(), wasInstalled);
}

TEST(Platform, SharedInstancesAreMadeOnceOverTheInstalledPlatform) {
    QStringList order;
    destroyed = &order;
    VirtualScheduler scheduler;
    Platform platform;
    platform.scheduler = &scheduler;
    ScopedPlatform scope(platform);

    EXPECT_FALSE(hasSharedInstance<Store>());
    Manager& manager = Manager::shared(); // makes the store first
    EXPECT_TRUE(hasSharedInstance<Store>());
    EXPECT_EQ(&Manager::shared(), &manager);
    EXPECT_EQ(manager.store, &Store::shared());
    EXPECT_EQ(Store::shared().platform, &platform);

    resetSharedInstances(); // newest first
    EXPECT_EQ(order, (QStringList{"Manager", "Store"}));
    EXPECT_FALSE(hasSharedInstance<Manager>());
    EXPECT_NE(&Store::shared(), nullptr); // made anew
    resetSharedInstances();
    destroyed = nullptr;
}

TEST(Platform, EachSetOfSharedInstancesKeepsItsOwn) {
    QStringList order;
    destroyed = &order;
    Platform first, second;
    SharedInstanceSet macA, macB;
    Store* storeA = nullptr;
    {
        ScopedPlatform p(first);
        ScopedSharedInstances s(macA);
        storeA = &Store::shared();
        EXPECT_EQ(storeA->platform, &first);
    }
    {
        ScopedPlatform p(second);
        ScopedSharedInstances s(macB);
        EXPECT_FALSE(hasSharedInstance<Store>()) << "the other set's store is not this one's";
        EXPECT_EQ(Manager::shared().store->platform, &second);
        ScopedSharedInstances again(macA);
        EXPECT_EQ(&Store::shared(), storeA);
    }
    EXPECT_FALSE(hasSharedInstance<Store>()) << "the process's own set is untouched";
    macB.reset();
    EXPECT_EQ(order, (QStringList{"Manager", "Store"}));
    destroyed = nullptr;
}

TEST(Log, LinesCarryTheirComponent) {
    QStringList lines;
    const LogSink previous = setLogSink([&](const QString& line) { lines << line; });
    testing::internal::CaptureStdout();
    logLine("NimbrelEngine", "starting Dock click monitoring");
    logRaw("plain line");
    const std::string out = testing::internal::GetCapturedStdout();
    setLogToStdout(false);
    logLine("Quiet", "not on stdout");
    setLogToStdout(true);
    setLogSink(previous);
    EXPECT_EQ(out, "NimbrelEngine: starting Dock click monitoring\nplain line\n");
    EXPECT_EQ(lines,
              (QStringList{"NimbrelEngine: starting Dock click monitoring", "plain line", "Quiet: not on stdout"}));
}
