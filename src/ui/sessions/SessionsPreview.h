#pragma once

#include "sessions/Session.h"
#include "ui/sessions/SessionSymbols.h"

#include <QObject>

#include <memory>
#include <vector>

namespace nimbrel {

struct Platform;
class NimbrelInstalledApps;
class NimbrelSessionsStore;
class SessionsViewModel;

// The sessions screen over still data: three sessions (one pinned and active on weekdays from
// 8:00 to 18:00, one in the evening, one disabled whose app this Mac lacks) in a store that touches neither the Dock, the
// pictures, the reminders nor the cloud, on the simulated Mac of `platform`. For the screens'
// pictures and their tests.
class SessionsPreview {
  public:
    SessionsPreview(Platform& platform, SessionSymbolLookup symbols);
    ~SessionsPreview();

    static std::vector<NimbrelSession> sampleSessions();
    std::unique_ptr<SessionsViewModel> makeViewModel();
    NimbrelSessionsStore& store() { return *store_; }

  private:
    Platform& platform_;
    SessionSymbolLookup symbols_;
    std::shared_ptr<NimbrelSessionsStore> store_;
    std::shared_ptr<NimbrelInstalledApps> catalogue_;
};

} // namespace nimbrel
