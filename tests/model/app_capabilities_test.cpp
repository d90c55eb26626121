#include "model/AppCapabilities.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using C = NimbrelRuleAppCapability;

NimbrelRuleAppCapabilitySet capabilitiesOf(std::optional<QString> bundleId, std::optional<QString> path = {},
                                           QString name = QStringLiteral("Some App")) {
    return NimbrelRuleAppCapabilities(NimbrelRuleAppTarget{name, bundleId, path}).capabilities;
}

TEST(AppCapabilities, ByBundleIdentifierExactly) {
    EXPECT_EQ(capabilitiesOf(QStringLiteral("com.apple.Safari")),
              (NimbrelRuleAppCapabilitySet{C::browser, C::universalWindowPlacement}));
    EXPECT_EQ(capabilitiesOf(QStringLiteral("com.apple.safari")),
              NimbrelRuleAppCapabilitySet{C::universalWindowPlacement});
    EXPECT_EQ(capabilitiesOf(QStringLiteral("com.googlecode.iterm2")),
              (NimbrelRuleAppCapabilitySet{C::terminalScript, C::universalWindowPlacement}));
    EXPECT_EQ(capabilitiesOf(QStringLiteral("com.apple.finder")),
              (NimbrelRuleAppCapabilitySet{C::finder, C::universalWindowPlacement}));
    EXPECT_EQ(capabilitiesOf(QStringLiteral("com.example.editor")),
              NimbrelRuleAppCapabilitySet{C::universalWindowPlacement});
}

TEST(AppCapabilities, FinderByPathOrName) {
    EXPECT_TRUE(
        capabilitiesOf(std::nullopt, QStringLiteral("/System/Library/CoreServices/Finder.app")).count(C::finder));
    EXPECT_FALSE(
        capabilitiesOf(std::nullopt, QStringLiteral("/System/Library/CoreServices/finder.app"), "X").count(C::finder));
    EXPECT_EQ(capabilitiesOf(std::nullopt, std::nullopt, QStringLiteral("Finder")),
              (NimbrelRuleAppCapabilitySet{C::finder, C::universalWindowPlacement}));
    EXPECT_TRUE(capabilitiesOf(std::nullopt, std::nullopt, QStringLiteral(" finder.app ")).count(C::finder));
    // A name alone never makes a browser or a terminal.
    EXPECT_EQ(capabilitiesOf(std::nullopt, std::nullopt, QStringLiteral("Safari")),
              NimbrelRuleAppCapabilitySet{C::universalWindowPlacement});
    EXPECT_EQ(capabilitiesOf(std::nullopt, std::nullopt, QStringLiteral("Terminal")),
              NimbrelRuleAppCapabilitySet{C::universalWindowPlacement});
}

TEST(AppCapabilities, KeepsTheAppUnchanged) {
    const NimbrelRuleAppTarget app{QStringLiteral(" Ghost.app "), QStringLiteral("co.zeit.hyper"),
                                   QStringLiteral("~/Apps/Hyper.app")};
    const NimbrelRuleAppCapabilities caps(app);
    EXPECT_EQ(caps.app, app);
    EXPECT_TRUE(caps.contains(C::terminalScript));
    EXPECT_FALSE(caps.contains(C::browser));
}

TEST(AppCapabilities, IdentifierTables) {
    EXPECT_EQ(NimbrelRuleAppCapabilities::browserBundleIdentifiers().size(), 13);
    EXPECT_EQ(NimbrelRuleAppCapabilities::terminalBundleIdentifiers().size(), 5);
    for (const QString& id : NimbrelRuleAppCapabilities::browserBundleIdentifiers())
        EXPECT_FALSE(NimbrelRuleAppCapabilities::terminalBundleIdentifiers().contains(id));
    EXPECT_TRUE(NimbrelRuleAppCapabilities::browserBundleIdentifiers().contains("company.thebrowser.Browser"));
    EXPECT_TRUE(NimbrelRuleAppCapabilities::terminalBundleIdentifiers().contains("net.kovidgoyal.kitty"));
}

} // namespace
} // namespace nimbrel
