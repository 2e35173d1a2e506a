#include "shell/vcl_timer.h"

#include <utility>

VclTimer::VclTimer() {
    // Handlers count ticks as elapsed periods; a coarse timer may fire a few percent early.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        // A copy, so a handler may assign another handler while it runs.
        const std::function<void()> handler = onTimer_;
        handler();
    });
}

void VclTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    UpdateTimer();
}

void VclTimer::SetInterval(int milliseconds) {
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    UpdateTimer();
}

void VclTimer::SetOnTimer(std::function<void()> onTimer) {
    onTimer_ = std::move(onTimer);
    UpdateTimer();
}

void VclTimer::UpdateTimer() {
    timer_.stop();
    if (enabled_ && interval_ > 0 && onTimer_)
        timer_.start(interval_);
}
