#include "SimFixture.h"

#include "platform/simulated/SimDesktopDump.h"
#include "platform/simulated/SimPlist.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <set>

namespace nimbrel::sim::testing {
namespace {

using SimState = SimTest;

TEST_F(SimState, StateSurvivesARestart) {
    App& safari = appNamed(QStringLiteral("Safari"));
    mac().setMinimized(safari, safari.windows.front().id, true);
    sim.dockPreferences().setValue(QStringLiteral("persistent-apps"), QVariantList{});
    sim.dockPreferences().synchronize();
    mac().restartDock();
    mac().setLaunchDelay(QStringLiteral("com.apple.Safari"), 4);
    mac().setTrusted(false);
    const QStringList before = describeDesktop(mac());
    // As a state saved before the Mac had app pictures: Safari's is missing; Mail's was placed.
    const QString safariPicture = mac().realPath(mac().iconPath(QStringLiteral("/Applications/Safari.app")));
    const QString mailPicture = mac().realPath(mac().iconPath(QStringLiteral("/System/Applications/Mail.app")));
    QFile placed(mailPicture);
    ASSERT_TRUE(QFile::remove(safariPicture) && placed.open(QIODevice::WriteOnly) && placed.write("placed") == 6);
    placed.close();
    ASSERT_TRUE(sim.save());

    SimulatedPlatform reopened(scheduler, scheduler, sim.folder());
    EXPECT_TRUE(reopened.restoredFromDisk());
    EXPECT_TRUE(QFileInfo(safariPicture).isFile());
    ASSERT_TRUE(placed.open(QIODevice::ReadOnly));
    EXPECT_EQ(placed.readAll(), "placed");
    EXPECT_EQ(describeDesktop(reopened.mac()), before);
    EXPECT_FALSE(reopened.mac().isTrusted());
    EXPECT_TRUE(reopened.mac().persistentDockTiles().empty());
    // Integer preference values stay integers.
    EXPECT_EQ(reopened.dockPreferences().persistentDomain()->value(QStringLiteral("tilesize")).typeId(),
              QMetaType::LongLong);
    // New windows and processes do not reuse old identities.
    App& chrome = *reopened.mac().appWithBundleId(QStringLiteral("com.google.Chrome"));
    reopened.mac().newBrowserWindow(chrome, QString());
    std::set<std::uint64_t> ids;
    size_t count = 0;
    for (const App& a : reopened.mac().apps())
        for (const Window& w : a.windows) {
            ids.insert(w.id);
            ++count;
        }
    EXPECT_EQ(ids.size(), count);
}

TEST_F(SimState, DamagedStateIsSetAsideAndTheDefaultDesktopComesBack) {
    const QString state = sim.folder() + QStringLiteral("/state.json");
    QFile file(state);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"version\": 1, \"screens\": [{\"frame\": \"wide\"}]}");
    file.close();

    SimulatedPlatform reopened(scheduler, scheduler, sim.folder());
    EXPECT_FALSE(reopened.restoredFromDisk());
    EXPECT_FALSE(reopened.loadProblem().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(state));
    const QStringList aside = QDir(sim.folder()).entryList({QStringLiteral("state.json.damaged-*")});
    EXPECT_EQ(aside.size(), 1);
    EXPECT_EQ(reopened.mac().screens().size(), 2u);

    // One that cannot be moved away stays as it is, and is never saved over.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{ damaged");
    file.close();
    const MoveAsideFault previous = setMoveAsideFaultForTesting([](const QString&) { return true; });
    SimulatedPlatform blocked(scheduler, scheduler, sim.folder());
    setMoveAsideFaultForTesting(previous);
    EXPECT_FALSE(blocked.save());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("{ damaged"));
}

TEST_F(SimState, LoadRejectsStatesWithoutScreensAndKeepsTheCurrentOne) {
    const auto before = describeDesktop(mac());
    QString error;
    EXPECT_FALSE(
        mac().loadJson(QJsonObject{{QStringLiteral("version"), 1}, {QStringLiteral("screens"), QJsonArray{}}}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(mac().loadJson(QJsonObject{{QStringLiteral("version"), 7}}, &error));
    EXPECT_EQ(describeDesktop(mac()), before);
}

TEST(SimPlist, RoundTripsAndRejectsBrokenInput) {
    const QVariantMap value{{QStringLiteral("name"), QStringLiteral("Caf\u00e9 & <Bar>")},
                            {QStringLiteral("count"), qint64(-3)},
                            {QStringLiteral("ratio"), 0.25},
                            {QStringLiteral("on"), true},
                            {QStringLiteral("blob"), QByteArray("\x00\x01", 2)},
                            {QStringLiteral("list"), QVariantList{QStringLiteral("a"), QVariantMap{}}}};
    const auto read = readPlist(writePlist(value));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->toMap(), value);
    EXPECT_FALSE(readPlist("not xml").has_value());
    EXPECT_FALSE(readPlist("<plist><dict><string>no key</string></dict></plist>").has_value());
    EXPECT_FALSE(readPlist("<plist><integer>12x</integer></plist>").has_value());
    EXPECT_FALSE(readPlist("<html></html>").has_value());
}

using SimSystem = SimTest;

TEST_F(SimSystem, ProcessesAnswerWithoutRunningAnything) {
    auto dscl = sim.processes().run(
        QStringLiteral("/usr/bin/dscl"),
        {QStringLiteral("."), QStringLiteral("-read"), QStringLiteral("/Users/anna"), QStringLiteral("RealName")});
    EXPECT_EQ(dscl.terminationStatus, 0);
    EXPECT_EQ(dscl.standardOutput, QByteArray("RealName:\n Anna Lindqvist\n"));
    auto photo = sim.processes().run(
        QStringLiteral("/usr/bin/dscl"),
        {QStringLiteral("."), QStringLiteral("-read"), QStringLiteral("/Users/anna"), QStringLiteral("JPEGPhoto")});
    EXPECT_NE(photo.terminationStatus, 0);
    auto other = sim.processes().run(
        QStringLiteral("/usr/bin/dscl"),
        {QStringLiteral("."), QStringLiteral("-read"), QStringLiteral("/Users/bob"), QStringLiteral("RealName")});
    EXPECT_NE(other.terminationStatus, 0);
    auto wrongUser =
        sim.processes().run(QStringLiteral("/bin/launchctl"), {QStringLiteral("kickstart"), QStringLiteral("-k"),
                                                               QStringLiteral("gui/0/com.apple.Dock.agent")});
    EXPECT_EQ(wrongUser.terminationStatus, 113);
    auto rm = sim.processes().run(QStringLiteral("/bin/rm"), {QStringLiteral("-rf"), QStringLiteral("/")});
    EXPECT_FALSE(rm.launched);
    EXPECT_FALSE(rm.launchError.isEmpty());
    sim.processes().failLaunch(QStringLiteral("/usr/bin/killall"), QStringLiteral("Operation not permitted"));
    const int dock = mac().dockPid();
    EXPECT_FALSE(sim.processes().run(QStringLiteral("/usr/bin/killall"), {QStringLiteral("Dock")}).launched);
    EXPECT_EQ(mac().dockPid(), dock);
    EXPECT_EQ(mac().recorder().texts(EventKind::process).size(), 6u);
}

TEST_F(SimSystem, MouseMonitorHearsPressesOnlyWhileTrusted) {
    std::vector<MouseEvent> events;
    auto monitor = sim.input().addGlobalMouseMonitor([&](const MouseEvent& e) { events.push_back(e); });
    ASSERT_NE(monitor, nullptr);
    scheduler.advance(2);
    mac().mouseDown({500, 20});
    mac().mouseUp();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, MouseEventType::leftMouseDown);
    EXPECT_EQ(events[0].location, (Point{500, 20}));
    EXPECT_EQ(events[1].type, MouseEventType::leftMouseUp);
    EXPECT_EQ(sim.input().pointerLocation(), (Point{500, 20}));
    mac().setTrusted(false);
    mac().mouseDown({1, 1});
    EXPECT_EQ(events.size(), 2u);
    mac().setTrusted(true);
    monitor->remove();
    EXPECT_FALSE(monitor->isInstalled());
    mac().mouseDown({1, 1});
    EXPECT_EQ(events.size(), 2u);
    EXPECT_TRUE(sim.input().postKeyEvent(kEscapeKeyCode, true));
    EXPECT_EQ(mac().recorder().texts(EventKind::keyEvent).back(), QStringLiteral("key 53 down"));
}

class RecordingDelegate : public UpdaterDelegate {
  public:
    void didFinishLoadingAppcast() override { calls << QStringLiteral("loaded"); }
    void updaterDidNotFindUpdate() override { calls << QStringLiteral("none"); }
    void didFindValidUpdate(const UpdateItem& item) override {
        calls << QStringLiteral("found ") + item.displayVersionString;
    }
    void didAbortWithError(const UpdateError& e) override {
        calls << QStringLiteral("abort ") + e.localizedDescription;
    }
    void didFinishUpdateCycle(UpdateCheckKind, const std::optional<UpdateError>& e) override {
        calls << (e ? QStringLiteral("cycle error") : QStringLiteral("cycle"));
    }
    QStringList calls;
};

TEST_F(SimSystem, UpdaterAnswersChecksLaterThroughItsDelegate) {
    RecordingDelegate delegate;
    sim.updater().startUpdater(&delegate);
    sim.updater().scriptNextCheck(SimUpdateFramework::Outcome::updateFound);
    sim.updater().scriptNextCheck(SimUpdateFramework::Outcome::failureAfterNoUpdate,
                                  UpdateError{QStringLiteral("x"), 1, QStringLiteral("offline")});
    sim.updater().checkForUpdates();
    EXPECT_TRUE(delegate.calls.isEmpty());
    scheduler.advance(1);
    sim.updater().checkForUpdates();
    scheduler.advance(1);
    sim.updater().checkForUpdates();
    scheduler.advance(1);
    EXPECT_EQ(delegate.calls, (QStringList{"loaded", "found 2.0", "cycle", "loaded", "none", "abort offline",
                                           "cycle error", "loaded", "none", "cycle"}));
    sim.updater().setDelegate(nullptr);
    sim.updater().checkForUpdates();
    scheduler.advance(1); // no delegate, nothing called
    EXPECT_EQ(delegate.calls.size(), 10);
}

TEST(Keychains, StatusCodesAndAPrivateFile) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/prefs/keychain.json");
    {
        FileKeychain keychain(path);
        QByteArray data;
        EXPECT_EQ(keychain.copyMatching(QStringLiteral("svc"), QStringLiteral("acct"), &data), errSecItemNotFound);
        const QString lock = kKeychainAccessibleAfterFirstUnlockThisDeviceOnly;
        EXPECT_EQ(keychain.update(QStringLiteral("svc"), QStringLiteral("acct"), "x", lock), errSecItemNotFound);
        EXPECT_EQ(
            keychain.add(QStringLiteral("svc"), QStringLiteral("acct"), "secret", kKeychainAccessibleWhenUnlocked),
            errSecSuccess);
        EXPECT_EQ(keychain.add(QStringLiteral("svc"), QStringLiteral("acct"), "again", lock), errSecDuplicateItem);
        EXPECT_EQ(keychain.update(QStringLiteral("svc"), QStringLiteral("acct"), "newer", lock), errSecSuccess);
        EXPECT_EQ(keychain.add(QString(), QStringLiteral("acct"), "x", lock), errSecParam);
    }
    EXPECT_EQ(
        QFileInfo(path).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther), 0);
    FileKeychain reopened(path);
    QByteArray data;
    EXPECT_EQ(reopened.copyMatching(QStringLiteral("svc"), QStringLiteral("acct"), &data), errSecSuccess);
    EXPECT_EQ(data, QByteArray("newer"));
    EXPECT_EQ(reopened.accessibility(QStringLiteral("svc"), QStringLiteral("acct")),
              kKeychainAccessibleAfterFirstUnlockThisDeviceOnly)
        << "the accessibility of the update is kept across a reopening";
    EXPECT_EQ(reopened.remove(QStringLiteral("svc"), QStringLiteral("acct")), errSecSuccess);
    EXPECT_EQ(reopened.remove(QStringLiteral("svc"), QStringLiteral("acct")), errSecItemNotFound);
    reopened.setForcedStatus(errSecInteractionNotAllowed);
    EXPECT_EQ(reopened.copyMatching(QStringLiteral("svc"), QStringLiteral("acct"), &data), errSecInteractionNotAllowed);
    reopened.setForcedStatus(errSecSuccess);

    // A locked keychain refuses reads only; the items list as stored.
    reopened.setReadStatus(errSecInteractionNotAllowed);
    const QString lock = kKeychainAccessibleAfterFirstUnlockThisDeviceOnly;
    EXPECT_EQ(reopened.add(QStringLiteral("svc"), QStringLiteral("b"), "2", lock), errSecSuccess);
    EXPECT_EQ(reopened.add(QStringLiteral("svc"), QStringLiteral("a"), "1", QString()), errSecSuccess);
    EXPECT_EQ(reopened.copyMatching(QStringLiteral("svc"), QStringLiteral("a"), &data), errSecInteractionNotAllowed);
    const auto items = reopened.items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].account + items[0].data + items[1].account + items[1].data, QStringLiteral("a1b2"));
    EXPECT_EQ(items[1].accessibility, lock);
    reopened.setReadStatus(errSecSuccess);
    EXPECT_EQ(reopened.copyMatching(QStringLiteral("svc"), QStringLiteral("a"), &data), errSecSuccess);

    // A damaged file is set aside, never overwritten unread.
    QFile broken(path);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("[{\"service\": 3}]");
    broken.close();
    FileKeychain fresh(path);
    EXPECT_EQ(fresh.copyMatching(QStringLiteral("svc"), QStringLiteral("acct"), &data), errSecItemNotFound);
    EXPECT_FALSE(QDir(dir.path() + QStringLiteral("/prefs"))
                     .entryList({QStringLiteral("keychain.json.unreadable-*")})
                     .isEmpty());
}

} // namespace
} // namespace nimbrel::sim::testing
