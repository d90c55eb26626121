#include "platform/simulated/SimSystem.h"

namespace nimbrel::sim {

bool SimLoginItems::registerMainApp(QString* error) {
    if (!failure_.isEmpty()) {
        if (error) *error = std::exchange(failure_, {});
        mac_.recorder().record(EventKind::system, QStringLiteral("login item register -> failed"));
        return false;
    }
    status_ = afterRegistering_;
    mac_.recorder().record(EventKind::system, QStringLiteral("login item register -> ok"));
    return true;
}

bool SimLoginItems::unregisterMainApp(QString* error) {
    if (!failure_.isEmpty()) {
        if (error) *error = std::exchange(failure_, {});
        mac_.recorder().record(EventKind::system, QStringLiteral("login item unregister -> failed"));
        return false;
    }
    status_ = LoginItemStatus::notRegistered;
    mac_.recorder().record(EventKind::system, QStringLiteral("login item unregister -> ok"));
    return true;
}

void SimUpdateFramework::startUpdater(UpdaterDelegate* delegate) {
    delegate_ = delegate;
    started_ = true;
    mac_.recorder().record(EventKind::system, QStringLiteral("updater started"));
}

void SimUpdateFramework::setAutomaticallyChecksForUpdates(bool on) {
    automatic_ = on;
    mac_.recorder().record(EventKind::system,
                           QStringLiteral("updater automatic checks = %1").arg(on ? "true" : "false"));
}

void SimUpdateFramework::checkForUpdates() {
    ++checks_;
    auto [outcome, error] = outcomes_.empty() ? std::pair{Outcome::noUpdate, UpdateError{}} : outcomes_.front();
    if (!outcomes_.empty()) outcomes_.pop_front();
    mac_.recorder().record(EventKind::system, QStringLiteral("updater check"));
    // The answer arrives a moment later, as the feed is fetched.
    mac_.scheduler().after(0.5, lifetime_.guard([this, outcome, error] {
        UpdaterDelegate* d = delegate_;
        if (!d) return;
        if (outcome == Outcome::failure) {
            d->didAbortWithError(error);
            if (delegate_) delegate_->didFinishUpdateCycle(UpdateCheckKind::updates, error);
            return;
        }
        d->didFinishLoadingAppcast();
        if (!delegate_) return;
        if (outcome == Outcome::updateFound)
            delegate_->didFindValidUpdate(UpdateItem{QStringLiteral("2.0"), QStringLiteral("200")});
        else
            delegate_->updaterDidNotFindUpdate();
        if (!delegate_) return;
        if (outcome == Outcome::failureAfterNoUpdate) {
            delegate_->didAbortWithError(error);
            if (delegate_) delegate_->didFinishUpdateCycle(UpdateCheckKind::updates, error);
            return;
        }
        delegate_->didFinishUpdateCycle(UpdateCheckKind::updates, std::nullopt);
    }));
}

} // namespace nimbrel::sim
