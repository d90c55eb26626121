#include "ui/common/Spring.h"

#include <QEasingCurve>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>

namespace nimbrel {

namespace {

constexpr double kSettledWithin = 0.001;
constexpr double kLongestSettling = 10.0;
// Less than this swing past the target does not show; such springs ease out without it.
constexpr double kVisibleOvershoot = 0.01;

std::atomic<bool>& animationsEnabled() {
    static std::atomic<bool> enabled{true};
    return enabled;
}

// A degenerate spring (no response time) lands at once.
bool isInstant(const SpringParameters& spring) {
    return !(spring.response > 0) || !std::isfinite(spring.response) || !std::isfinite(spring.dampingFraction);
}

} // namespace

double springProgress(const SpringParameters& spring, double t) {
    if (isInstant(spring) || t >= kLongestSettling) return 1.0;
    if (t <= 0) return 0.0;
    const double omega = 2 * std::numbers::pi / spring.response;
    const double zeta = std::max(0.0, spring.dampingFraction);
    if (std::abs(zeta - 1.0) < 1e-9) return 1.0 - std::exp(-omega * t) * (1.0 + omega * t);
    if (zeta < 1.0) {
        const double damped = omega * std::sqrt(1.0 - zeta * zeta);
        return 1.0 -
               std::exp(-zeta * omega * t) * (std::cos(damped * t) + zeta * omega / damped * std::sin(damped * t));
    }
    // Overdamped: two real roots, both negative.
    const double root = omega * std::sqrt(zeta * zeta - 1.0);
    const double r1 = -zeta * omega + root;
    const double r2 = -zeta * omega - root;
    return 1.0 - (r2 * std::exp(r1 * t) - r1 * std::exp(r2 * t)) / (r2 - r1);
}

double springSettlingSeconds(const SpringParameters& spring) {
    if (isInstant(spring)) return 0;
    // The last moment, in steps of a millisecond, at which the spring is still visibly away.
    double lastAway = 0;
    for (double t = 0; t < kLongestSettling; t += 0.001)
        if (std::abs(1.0 - springProgress(spring, t)) >= kSettledWithin) lastAway = t;
    return std::min(kLongestSettling, lastAway + 0.001);
}

double springOvershoot(const SpringParameters& spring) {
    if (isInstant(spring) || spring.dampingFraction >= 1.0) return 0;
    const double zeta = std::max(0.0, spring.dampingFraction);
    return std::exp(-std::numbers::pi * zeta / std::sqrt(1.0 - zeta * zeta));
}

int springEasingType(const SpringParameters& spring) {
    return springOvershoot(spring) >= kVisibleOvershoot ? QEasingCurve::OutBack : QEasingCurve::OutQuint;
}

double springEasingOvershoot(const SpringParameters& spring) {
    // OutBack's default of 1.70158 swings 10 % past; the swing grows about linearly with it.
    const double swing = springOvershoot(spring);
    return swing >= kVisibleOvershoot ? std::min(1.70158 * swing / 0.1, 6.0) : 0;
}

bool springAnimationsEnabled() {
    return animationsEnabled().load();
}

void setSpringAnimationsEnabled(bool enabled) {
    animationsEnabled().store(enabled);
}

void SpringCurve::setResponse(double response) {
    if (response == spring_.response) return;
    spring_.response = response;
    emit changed();
}

void SpringCurve::setDampingFraction(double dampingFraction) {
    if (dampingFraction == spring_.dampingFraction) return;
    spring_.dampingFraction = dampingFraction;
    emit changed();
}

int SpringCurve::duration() const {
    return springAnimationsEnabled() ? int(std::lround(springSettlingSeconds(spring_) * 1000)) : 0;
}

void Motion::withSpringAnimation(double response, double dampingFraction, const std::function<void()>& action) {
    set(SpringParameters{response, dampingFraction});
    run(action);
}

void Motion::withoutAnimation(const std::function<void()>& action) {
    set(std::nullopt);
    run(action);
}

void Motion::run(const std::function<void()>& action) {
    if (!action) return;
    ++runningActions_;
    action();
    --runningActions_;
}

void Motion::followAction(const Motion& change) {
    set(change.runningActions_ > 0 ? change.current_ : std::nullopt);
}

int Motion::duration() const {
    return animated() ? int(std::lround(springSettlingSeconds(*current_) * 1000)) : 0;
}

int Motion::easingType() const {
    return springEasingType(current_.value_or(SpringParameters{0, 1}));
}

double Motion::overshoot() const {
    return springEasingOvershoot(current_.value_or(SpringParameters{0, 1}));
}

void Motion::set(std::optional<SpringParameters> spring) {
    if (spring == current_) return;
    current_ = spring;
    emit changed();
}

} // namespace nimbrel
