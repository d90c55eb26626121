#pragma once

#include <QObject>

#include <functional>
#include <optional>

namespace nimbrel {

// A spring as the screens describe motion: how long one swing takes (response, seconds) and
// how strongly it is braked (damping fraction, 1 = no overshoot). Mass 1.
struct SpringParameters {
    double response = 0.5;
    double dampingFraction = 0.825;

    friend bool operator==(const SpringParameters&, const SpringParameters&) = default;
};

// Progress of the spring from 0 towards 1 at `seconds` after it was let go.
double springProgress(const SpringParameters& spring, double seconds);
// How long until the spring stays within 0.001 of its target (at most 10 s).
double springSettlingSeconds(const SpringParameters& spring);
// How far the spring swings past its target, as a fraction of the distance (0 without overshoot).
double springOvershoot(const SpringParameters& spring);
// The standard easing closest to the spring's motion over its settling time: a quick start
// that settles softly (OutQuint), or one that swings past the target (OutBack) when the
// spring overshoots by 1 % or more. QML animations take it as `easing.type` and
// `easing.overshoot`.
int springEasingType(const SpringParameters& spring);
double springEasingOvershoot(const SpringParameters& spring);

// Whether springs move at all; tests that drive screens switch motion off so every change
// lands at once.
bool springAnimationsEnabled();
void setSpringAnimationsEnabled(bool enabled);

// A spring for QML animations: `duration` (ms), `easingType` and `overshoot` for a NumberAnimation.
class SpringCurve : public QObject {
    Q_OBJECT
    Q_PROPERTY(double response READ response WRITE setResponse NOTIFY changed)
    Q_PROPERTY(double dampingFraction READ dampingFraction WRITE setDampingFraction NOTIFY changed)
    Q_PROPERTY(int duration READ duration NOTIFY changed)
    Q_PROPERTY(int easingType READ easingType NOTIFY changed)
    Q_PROPERTY(double overshoot READ overshoot NOTIFY changed)
  public:
    using QObject::QObject;
    double response() const { return spring_.response; }
    double dampingFraction() const { return spring_.dampingFraction; }
    void setResponse(double response);
    void setDampingFraction(double dampingFraction);
    int duration() const;
    int easingType() const { return springEasingType(spring_); }
    double overshoot() const { return springEasingOvershoot(spring_); }

  signals:
    void changed();

  private:
    SpringParameters spring_;
};

// The motion of a view model's state changes: the spring the last change ran inside, or
// none when it should land at once. QML animations read it as the change arrives.
class Motion : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool animated READ animated NOTIFY changed)
    Q_PROPERTY(double response READ response NOTIFY changed)
    Q_PROPERTY(double dampingFraction READ dampingFraction NOTIFY changed)
    Q_PROPERTY(int duration READ duration NOTIFY changed)
    Q_PROPERTY(int easingType READ easingType NOTIFY changed)
    Q_PROPERTY(double overshoot READ overshoot NOTIFY changed)
  public:
    using QObject::QObject;

    // Runs `action` as one change that moves with the given spring (blend duration 0).
    void withSpringAnimation(double response, double dampingFraction, const std::function<void()>& action);
    // Runs `action` as one change that lands at once.
    void withoutAnimation(const std::function<void()>& action);
    // Takes the motion of the action that `change` is running now, or none when it runs none:
    // what changes outside the view model's actions (a cloud merge, a tick) lands at once.
    void followAction(const Motion& change);

    const std::optional<SpringParameters>& current() const { return current_; }
    bool animated() const { return current_.has_value() && springAnimationsEnabled(); }
    double response() const { return current_ ? current_->response : 0; }
    double dampingFraction() const { return current_ ? current_->dampingFraction : 0; }
    int duration() const;
    int easingType() const;
    double overshoot() const;

  signals:
    void changed();

  private:
    void set(std::optional<SpringParameters> spring);
    void run(const std::function<void()>& action);
    std::optional<SpringParameters> current_;
    int runningActions_ = 0;
};

} // namespace nimbrel
