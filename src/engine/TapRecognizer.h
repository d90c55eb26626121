#pragma once

#include "engine/EngineState.h"
#include "platform/Scheduler.h"

#include <functional>

namespace nimbrel {

// Counts presses on one app into taps (0.12 s apart, up to three), drops presses inside
// a suppression window, and turns a press still held after 0.4 s into a long press.
class TapRecognizer {
  public:
    using TapHandler = std::function<void(const RunningApplication&, const DockTapContext&, int clickCount)>;
    using LongPressHandler =
        std::function<void(const RunningApplication&, const QString& appKey, const DockTapContext&)>;

    static constexpr double kCoalescingInterval = 0.12;
    static constexpr int kMaxClickCount = 3;

    TapRecognizer(EngineState& state, Scheduler& scheduler, Clock& clock)
        : state_(state), scheduler_(scheduler), clock_(clock) {}

    void setTapHandler(TapHandler handler) { onTap_ = std::move(handler); }
    void setLongPressHandler(LongPressHandler handler) { onLongPress_ = std::move(handler); }

    void registerDockTap(const RunningApplication& app, const DockTapContext& context);
    void firePendingDockTap(const QString& appKey, const RunningApplication& app, const DockTapContext& context,
                            int clickCount);
    void scheduleLongPressCheck(const Uuid& token);
    void checkLongDockPress(const Uuid& token);

  private:
    EngineState& state_;
    Scheduler& scheduler_;
    Clock& clock_;
    TapHandler onTap_;
    LongPressHandler onLongPress_;
    Lifetime lifetime_;
};

} // namespace nimbrel
