#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <vector>

namespace peltro {

class ClockTimer;

// Seconds with fractions that never run backwards. Waits and deadlines go
// through the clock too, so that tests can replace real time by a clock they
// advance.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
    virtual void sleep(double seconds) = 0;

protected:
    friend class ClockTimer;
    // A timer of this clock is due at the given time, or no longer due. By
    // default a real timer waits out the difference to now().
    virtual void arm(ClockTimer& timer, double due);
    virtual void disarm(ClockTimer& timer);
};

// A single-shot deadline on a clock: timeout() once the clock has reached
// the time it was started for. On the real clock it is a precise QTimer; on
// the virtual clock it fires as the test advances time.
class ClockTimer final : public QObject {
    Q_OBJECT
public:
    explicit ClockTimer(Clock& clock, QObject* parent = nullptr);
    ~ClockTimer() override;

    // (Re)starts the deadline seconds from now; a negative time counts as 0.
    void start(double seconds);
    void stop();
    bool isActive() const { return m_active; }
    // When it is due, in the clock's seconds; meaningful while active.
    double due() const { return m_due; }
    Clock& clock() const { return m_clock; }

Q_SIGNALS:
    void timeout();

private:
    friend class Clock;
    friend class ManualClock;
    void fire();

    Clock& m_clock;
    bool m_active = false;
    double m_due = 0.0;
    QTimer m_timer;   // used by the real clock only
};

class SteadyClock final : public Clock {
public:
    SteadyClock() { m_timer.start(); }
    double now() const override { return m_timer.nsecsElapsed() / 1e9; }
    void sleep(double seconds) override;

private:
    QElapsedTimer m_timer;
};

// Virtual time: sleeping advances it at once, without firing timers (a
// blocking wait lets no timer run); advance() moves time on and fires every
// timer that falls due on the way, in order.
class ManualClock final : public Clock {
public:
    ~ManualClock() override;
    double now() const override { return m_now; }
    void sleep(double seconds) override { if (seconds > 0) m_now += seconds; }
    // Moves time on by seconds (0: fires what is overdue), firing each due
    // timer at its own time.
    void advance(double seconds);
    // Moves time to the next armed timer and fires it; false when none is armed.
    bool advanceToNext();
    // The earliest armed deadline, or a negative number when none is armed.
    double nextDue() const;

protected:
    void arm(ClockTimer& timer, double due) override;
    void disarm(ClockTimer& timer) override;

private:
    ClockTimer* earliest(double until) const;

    double m_now = 1000.0;
    std::vector<ClockTimer*> m_armed;   // in arming order, for a stable firing order
};

} // namespace peltro
