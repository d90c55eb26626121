#include "platform/local/FolderInstanceGuard.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

// A running program's guard refuses a second on its folders; a folder whose lock cannot be made
// (its name taken by a folder here) refuses nothing, so Nimbrel still starts, and the other
// folder still guards.
TEST(FolderInstanceGuard, ALockThatCannotBeMadeNeverKeepsTheProgramFromStarting) {
    const struct {
        const char* what;
        bool preferencesUnlockable;
        bool dataUnlockable;
        bool secondRefused;
    } cases[] = {
        {"both folders locked", false, false, true},
        {"the preferences' lock cannot be made", true, false, true},
        {"neither lock can be made", true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const Locations locations = Locations::underRoot(dir.path());
        const QString lock = QLatin1Char('/') + FolderInstanceGuard::kLockFileName;
        if (c.preferencesUnlockable) {
            ASSERT_TRUE(QDir().mkpath(locations.preferences + lock));
        }
        if (c.dataUnlockable) {
            ASSERT_TRUE(QDir().mkpath(locations.nimbrelSupportFolder() + lock));
        }

        FolderInstanceGuard running(locations);
        EXPECT_TRUE(running.claim());
        FolderInstanceGuard second(locations);
        EXPECT_EQ(second.claim(), !c.secondRefused);
    }
}

} // namespace
} // namespace nimbrel
