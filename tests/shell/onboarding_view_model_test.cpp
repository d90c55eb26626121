#include "app/OnboardingViewModel.h"
#include "app/ShellNames.h"
#include "shell/ShellTestSupport.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

class OnboardingTest : public ::testing::Test {
  protected:
    OnboardingTest() { env.notifications.setRecording(true); }
    std::unique_ptr<OnboardingViewModel> make() {
        OnboardingViewModel::Hooks hooks;
        hooks.isProcessTrusted = [this] { return trusted; };
        hooks.promptForTrust = [this] { ++prompts; };
        hooks.openAccessibilitySettings = [this] { ++settingsOpened; };
        hooks.terminate = [this] { ++terminated; };
        hooks.closeKeyWindow = [this] { ++closed; };
        return std::make_unique<OnboardingViewModel>(env.platform, hooks);
    }
    int grantedNotices() const {
        return int(std::count_if(env.notifications.posted().begin(), env.notifications.posted().end(),
                                 [](const Notification& n) { return n.name == shell::kAccessibilityWasGranted; }));
    }

    testing::ShellPlatform env;
    bool trusted = false;
    int prompts = 0;
    int settingsOpened = 0;
    int terminated = 0;
    int closed = 0;
};

TEST_F(OnboardingTest, AlreadyGrantedShowsReadyAndStartsNoPoll) {
    trusted = true;
    auto vm = make();
    vm->appeared();
    EXPECT_TRUE(vm->accessibilityGranted());
    EXPECT_FALSE(vm->switchEnabled());
    EXPECT_EQ(vm->statusLine(), QString::fromUtf8("Enabled \u2014 Nimbrel is ready to go"));
    EXPECT_EQ(vm->footerTitle(), "Continue to Nimbrel");
    EXPECT_EQ(vm->footerSymbol(), "checkmark");
    EXPECT_FALSE(vm->isPollRunning());
    vm->requestAccessibility(true); // nothing to ask for
    EXPECT_EQ(prompts, 0);
    vm->footerAction();
    EXPECT_EQ(closed, 1);
}

TEST_F(OnboardingTest, SwitchPromptsOncePollsAndPostsGrantOnce) {
    auto vm = make();
    vm->appeared();
    EXPECT_EQ(vm->statusLine(), "Toggle to grant via Touch ID or password");
    EXPECT_TRUE(vm->switchEnabled());
    vm->requestAccessibility(false); // switching off does nothing
    EXPECT_FALSE(vm->isPollingForPermission());

    vm->requestAccessibility(true);
    EXPECT_EQ(prompts, 1);
    EXPECT_TRUE(vm->isPollingForPermission());
    EXPECT_FALSE(vm->switchEnabled());
    EXPECT_EQ(vm->statusLine(), QString::fromUtf8("Waiting for permission\u2026"));
    env.scheduler.advance(3);
    EXPECT_EQ(grantedNotices(), 0);

    trusted = true;
    env.scheduler.advance(0.5);
    EXPECT_TRUE(vm->accessibilityGranted());
    EXPECT_FALSE(vm->isPollingForPermission());
    EXPECT_FALSE(vm->isPollRunning());
    EXPECT_EQ(grantedNotices(), 1);
    env.scheduler.advance(5);
    EXPECT_EQ(grantedNotices(), 1);
}

TEST_F(OnboardingTest, SettingsWhilePollingLeavesOnePoll) {
    auto vm = make();
    vm->requestAccessibility(true);
    env.scheduler.advance(0.3);
    vm->footerAction(); // "Open Settings Instead"
    EXPECT_EQ(settingsOpened, 1);
    EXPECT_EQ(vm->footerTitle(), "Open Settings Instead");
    EXPECT_EQ(vm->footerSymbol(), "gear");
    trusted = true;
    env.scheduler.advance(0.3); // the first poll was replaced; the new one is due at 0.5 s after
    EXPECT_EQ(grantedNotices(), 0);
    env.scheduler.advance(0.2);
    EXPECT_EQ(grantedNotices(), 1);
}

TEST_F(OnboardingTest, DisappearingCancelsThePoll) {
    auto vm = make();
    vm->openAccessibilitySettings();
    vm->disappeared();
    trusted = true;
    env.scheduler.advance(2);
    EXPECT_EQ(grantedNotices(), 0);
    vm.reset();
    env.scheduler.advance(2);
    EXPECT_EQ(grantedNotices(), 0);
}

TEST_F(OnboardingTest, QuitTerminatesDirectly) {
    auto vm = make();
    vm->quit();
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(env.notifications.posted().empty()); // not through "Nimbrel.quitRequested"
    EXPECT_EQ(vm->title(), "Enable Accessibility");
    EXPECT_EQ(vm->systemImage(), "accessibility");
}

} // namespace
} // namespace nimbrel
