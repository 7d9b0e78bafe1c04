#pragma once

#include <QElapsedTimer>

namespace peltro {

// Seconds with fractions that never run backwards. Waits go through the
// clock too, so that tests can replace real time by a clock they advance.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
    virtual void sleep(double seconds) = 0;
};

class SteadyClock final : public Clock {
public:
    SteadyClock() { m_timer.start(); }
    double now() const override { return m_timer.nsecsElapsed() / 1e9; }
    void sleep(double seconds) override;

private:
    QElapsedTimer m_timer;
};

// Virtual time: sleeping advances it at once.
class ManualClock final : public Clock {
public:
    double now() const override { return m_now; }
    void sleep(double seconds) override { if (seconds > 0) m_now += seconds; }
    void advance(double seconds) { sleep(seconds); }

private:
    double m_now = 1000.0;
};

} // namespace peltro
