#pragma once

#include "app/ScreenModels.h"
#include "sessions/SessionsStore.h"
#include "ui/UiTestPlatform.h"
#include "ui/common/InstalledAppsCatalogue.h"
#include "ui/sessions/SessionEditorViewModel.h"
#include "ui/sessions/SessionsViewModel.h"

#include <gtest/gtest.h>

#include <memory>

namespace nimbrel::testing {

// The sessions screen over a store of its own (no Dock, pictures, reminders or cloud) on the
// simulated Mac's default desktop, in virtual time.
class SessionsScreenFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        store = NimbrelSessionsStore::create(env.platform, NimbrelSessionsStore::Parts::none());
        env.scheduler.runUntilIdle();
    }

    std::unique_ptr<SessionsViewModel> makeScreen() {
        return std::make_unique<SessionsViewModel>(
            SessionsViewModel::Services{env.platform, store, [this] { return catalogue(); }, shellSymbolLookup()});
    }
    std::shared_ptr<NimbrelInstalledApps> catalogue() {
        if (!catalogue_) catalogue_ = NimbrelInstalledApps::create(env.platform);
        return catalogue_;
    }
    static NimbrelSession session(const QString& name, bool pinned = false) {
        NimbrelSession s;
        s.name = name;
        s.isPinned = pinned;
        return s;
    }
    QStringList storedNames() const {
        QStringList names;
        for (const NimbrelSession& s : store->sessions().get())
            names << s.name;
        return names;
    }

    UiTestPlatform env;
    std::shared_ptr<NimbrelSessionsStore> store;

  private:
    std::shared_ptr<NimbrelInstalledApps> catalogue_;
};

} // namespace nimbrel::testing
