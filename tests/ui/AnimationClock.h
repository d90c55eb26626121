#pragma once

#include "ui/QuickDriver.h"

#include <QAnimationDriver>
#include <QCoreApplication>

namespace nimbrel::testing {

// The clock of every Qt Quick animation while it lives: time moves only when a test steps it,
// so a test can look at a screen frame by frame, or move every animation to its end, without
// waiting on the wall clock.
class AnimationClock : public QAnimationDriver {
  public:
    AnimationClock() { install(); }
    ~AnimationClock() override { uninstall(); }

    // One frame of `ms` milliseconds.
    void step(QuickDriver& driver, int ms = 16) {
        elapsed_ += ms;
        advance();
        driver.settle();
    }
    // 1.5 s of frames: every spring of the screens has come to rest by then.
    void finish(QuickDriver& driver) {
        for (int i = 0; i < 75; ++i) {
            elapsed_ += 20;
            advance();
            QCoreApplication::processEvents();
        }
        driver.settle();
    }
    qint64 elapsed() const override { return elapsed_; }

  private:
    qint64 elapsed_ = 0;
};

} // namespace nimbrel::testing
