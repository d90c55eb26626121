#include "activity/ActivityStore.h"
#include "platform/Log.h"
#include "platform/SharedInstance.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "program/ProgramFacilities.h"
#include "program/ProgramTestSupport.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

// The program's own files found damaged at start are set aside, and the user reads of each in
// the activity list.
TEST(DamagedFilesAtStart, EachIsRecordedAsAnError) {
    ensureApplication();
    setLogToStdout(false);
    QTemporaryDir dir;
    const Locations locations = Locations::underRoot(dir.path());
    for (const QString& path : {JsonFileUserDefaults::filePath(locations),
                                locations.nimbrelSupportFolder() + QStringLiteral("/keychain.json")}) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{ damaged");
    }
    {
        ProgramFacilities facilities(locations);
        auto recorded = [&] {
            QStringList titles;
            if (hasSharedInstance<NimbrelActivityStore>())
                for (const NimbrelActivityEntry& entry : NimbrelActivityStore::shared(facilities.platform()).entries())
                    titles << json::enumName(entry.type) + QLatin1Char(' ') + entry.title;
            return titles;
        };
        EXPECT_TRUE(spinUntil([&] { return recorded().size() == 2; }));
        EXPECT_EQ(recorded(), (QStringList{"error Preferences Unreadable", "error Keychain Unreadable"}));

        // A preferences write that fails later, on the writer's thread, is recorded as it happens.
        setAtomicWriteFaultForTesting([](const QString&) { return QStringLiteral("The disk is full."); });
        facilities.platform().defaults->setBool(QStringLiteral("Nimbrel.globalPauseActive"), true);
        EXPECT_TRUE(spinUntil([&] { return recorded().size() == 3; }));
        setAtomicWriteFaultForTesting({});
        EXPECT_EQ(recorded().value(2), "error Preferences Save Failed");

        // So is a keychain change the file cannot take back, with the reason as its message.
        Keychain& keychain = *facilities.platform().keychain;
        EXPECT_EQ(keychain.add(QStringLiteral("svc"), QStringLiteral("acct"), QByteArray(4 * kMebibyte, 'x'),
                               kKeychainAccessibleWhenUnlocked),
                  errSecIO);
        EXPECT_TRUE(spinUntil([&] { return recorded().size() == 4; }));
        EXPECT_EQ(recorded().value(3), "error Keychain Save Failed");
        const auto entries = NimbrelActivityStore::shared(facilities.platform()).entries();
        ASSERT_EQ(entries.size(), 4u);
        EXPECT_TRUE(entries[3].message.contains(QStringLiteral("that can be read back")))
            << entries[3].message.toStdString();
        facilities.shutDown();
        resetSharedInstances();
    }
    setLogToStdout(true);
}

} // namespace
} // namespace nimbrel
