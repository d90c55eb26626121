#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace nimbrel {

struct Notification {
    QString name;
    QVariantMap userInfo;
};

// Removes its observer when destroyed, so an observer never outlives its owner.
class ObserverToken {
  public:
    ObserverToken() = default;
    explicit ObserverToken(std::function<void()> remove) : remove_(std::move(remove)) {}
    ObserverToken(ObserverToken&& other) noexcept : remove_(std::exchange(other.remove_, {})) {}
    ObserverToken& operator=(ObserverToken&& other) noexcept {
        if (this != &other) {
            reset();
            remove_ = std::exchange(other.remove_, {});
        }
        return *this;
    }
    ObserverToken(const ObserverToken&) = delete;
    ObserverToken& operator=(const ObserverToken&) = delete;
    ~ObserverToken() { reset(); }

    void reset() {
        if (remove_) std::exchange(remove_, {})();
    }
    bool isActive() const { return static_cast<bool>(remove_); }

  private:
    std::function<void()> remove_;
};

// In-process notifications by name. Posting and delivery happen on the main thread;
// observers are called synchronously in the order they were added.
class NotificationCenter {
  public:
    using Observer = std::function<void(const Notification&)>;

    NotificationCenter();
    ~NotificationCenter();

    [[nodiscard]] ObserverToken addObserver(const QString& name, Observer observer);
    void post(const QString& name, const QVariantMap& userInfo = {});

    // Every notification posted, for tests and the scenario transcript (off by default).
    void setRecording(bool on) { recording_ = on; }
    const std::vector<Notification>& posted() const { return posted_; }
    void clearPosted() { posted_.clear(); }

  private:
    struct State;
    std::shared_ptr<State> state_;
    bool recording_ = false;
    std::vector<Notification> posted_;
};

} // namespace nimbrel
