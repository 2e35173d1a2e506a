#pragma once

#include <QTimer>

#include <functional>

// A timer with the semantics the console's handlers were written for: it ticks every
// Interval milliseconds while it is Enabled, Interval is above 0 and an OnTimer handler is
// assigned. Setting Enabled or Interval to the value it already has changes nothing, so an
// enabled timer enabled again keeps its phase; any other change of Enabled, Interval or the
// handler starts a fresh interval. A one-shot timer disables itself in its handler.
class VclTimer {
public:
    // Enabled, 1000 ms, no handler: a timer as it is first placed on a form.
    VclTimer();
    VclTimer(const VclTimer&) = delete;
    VclTimer& operator=(const VclTimer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);

    void SetOnTimer(std::function<void()> onTimer);

private:
    void UpdateTimer();

    QTimer timer_;
    bool enabled_ = true;
    int interval_ = 1000;
    std::function<void()> onTimer_;
};
