#include "clock.h"

#include <QThread>
#include <algorithm>
#include <cmath>

namespace peltro {

ClockTimer::ClockTimer(Clock& clock, QObject* parent) : QObject(parent), m_clock(clock)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ClockTimer::fire);
}

ClockTimer::~ClockTimer()
{
    stop();
}

void ClockTimer::start(double seconds)
{
    stop();
    m_active = true;
    m_due = m_clock.now() + std::max(0.0, seconds);
    m_clock.arm(*this, m_due);
}

void ClockTimer::stop()
{
    if (!m_active)
        return;
    m_active = false;
    m_clock.disarm(*this);
}

void ClockTimer::fire()
{
    if (!m_active)
        return;
    m_active = false;
    m_clock.disarm(*this);
    Q_EMIT timeout();
}

void SteadyClock::sleep(double seconds)
{
    if (seconds > 0)
        QThread::usleep(static_cast<unsigned long>(seconds * 1e6));
}

void Clock::arm(ClockTimer& timer, double due)
{
    timer.m_timer.start(std::max(0, static_cast<int>(std::ceil((due - now()) * 1000.0))));
}

void Clock::disarm(ClockTimer& timer)
{
    timer.m_timer.stop();
}

ManualClock::~ManualClock()
{
    // Timers that outlive the clock must not reach back into it.
    for (ClockTimer* t : m_armed)
        t->m_active = false;
}

void ManualClock::arm(ClockTimer& timer, double /*due*/)
{
    m_armed.push_back(&timer);
}

void ManualClock::disarm(ClockTimer& timer)
{
    m_armed.erase(std::remove(m_armed.begin(), m_armed.end(), &timer), m_armed.end());
}

ClockTimer* ManualClock::earliest(double until) const
{
    ClockTimer* first = nullptr;
    for (ClockTimer* t : m_armed)
        if (t->m_due <= until && (!first || t->m_due < first->m_due))
            first = t;
    return first;
}

double ManualClock::nextDue() const
{
    ClockTimer* first = earliest(INFINITY);
    return first ? first->m_due : -1.0;
}

void ManualClock::advance(double seconds)
{
    const double until = m_now + std::max(0.0, seconds);
    while (ClockTimer* t = earliest(until)) {
        m_now = std::max(m_now, t->m_due);
        t->fire();
    }
    m_now = std::max(m_now, until);
}

bool ManualClock::advanceToNext()
{
    ClockTimer* t = earliest(INFINITY);
    if (!t)
        return false;
    m_now = std::max(m_now, t->m_due);
    t->fire();
    return true;
}

} // namespace peltro
