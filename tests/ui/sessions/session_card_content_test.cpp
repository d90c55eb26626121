#include "ui/sessions/SessionCardContent.h"

#include "SessionAppSamples.h"
#include "support/QtPrinters.h"
#include "ui/UiTestPlatform.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

NimbrelSession sessionWith(int installed, int missing) {
    NimbrelSession session;
    for (int i = 0; i < installed; ++i)
        session.allowedApps.push_back(
            testing::sessionApp(QString("App%1").arg(i), QString("com.example.app%1").arg(i)));
    for (int i = 0; i < missing; ++i)
        session.allowedApps.push_back(testing::sessionApp(QString("Gone%1").arg(i),
                                                          QString("com.example.gone%1").arg(i),
                                                          QString("/Applications/Gone%1.app").arg(i)));
    return session;
}

TEST(SessionCardContent, StripShowsTwelveInstalledAppsThenACountAndWarnsOfMissingOnes) {
    testing::UiTestPlatform env;
    for (int i = 0; i < 20; ++i)
        env.mac().installApplication(QString("/Applications/App%1.app").arg(i), QString("com.example.app%1").arg(i),
                                     QString("App%1").arg(i));
    const SessionAppsOnThisMac mac{*env.platform.workspace, *env.platform.files};
    const SessionClockTimeText time = [](const NimbrelSessionClockTime&) { return QStringLiteral("T"); };
    const QString runs = ". Session runs normally for all installed apps.";
    const struct {
        int installed, missing;
        std::size_t strip;
        QString overflow, placeholder, warning;
    } cases[] = {
        {0, 0, 0, "", "No apps selected yet", ""},
        {0, 2, 0, "", "No apps installed on this Mac", "Not installed on this Mac: Gone0, Gone1" + runs},
        {3, 1, 3, "", "", "Not installed on this Mac: Gone0" + runs},
        {12, 0, 12, "", "", ""},
        {13, 0, 12, "+1", "", ""},
        {20, 0, 12, "+8", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.installed << " installed, " << c.missing << " missing");
        const SessionCardContent card = sessionCardContent(sessionWith(c.installed, c.missing), false, mac, time);
        EXPECT_EQ(card.stripApps.size(), c.strip);
        EXPECT_EQ(card.overflowText, c.overflow);
        EXPECT_EQ(card.placeholderText, c.placeholder);
        EXPECT_EQ(card.missingWarning, c.warning);
        EXPECT_EQ(card.missingApps.size(), std::size_t(c.missing));
    }
}

TEST(SessionCardContent, ActiveWinsOverTheEnabledFlag) {
    testing::UiTestPlatform env;
    const SessionAppsOnThisMac mac{*env.platform.workspace, *env.platform.files};
    const struct {
        bool active, enabled;
        const char* status;
    } cases[] = {
        {true, false, "Active"}, {true, true, "Active"}, {false, true, "Scheduled"}, {false, false, "Disabled"}};
    for (const auto& c : cases) {
        NimbrelSession session;
        session.isEnabled = c.enabled;
        EXPECT_EQ(sessionCardContent(session, c.active, mac, localizedShortTimeText()).statusText, c.status);
    }
    EXPECT_EQ(sessionPowerSymbol(true), "power");
    EXPECT_EQ(sessionPowerSymbol(false), "power.circle.fill");
    EXPECT_EQ(sessionPinSymbol(true), "pin.fill");
    EXPECT_EQ(sessionPinSymbol(false), "pin");
}

} // namespace
} // namespace nimbrel
