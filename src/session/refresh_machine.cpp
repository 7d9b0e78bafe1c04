#include "refresh_machine.h"

#include <QtGlobal>

namespace peltro {

RefreshHold::RefreshHold(RefreshMachine& machine, Closing closing, bool greysToggle)
    : m_machine(&machine), m_closing(closing), m_greys(greysToggle)
{
}

RefreshHold::RefreshHold(RefreshHold&& other) noexcept
    : m_machine(other.m_machine), m_closing(other.m_closing), m_greys(other.m_greys)
{
    other.m_machine = nullptr;
}

RefreshHold& RefreshHold::operator=(RefreshHold&& other) noexcept
{
    if (this != &other) {
        release();
        m_machine = other.m_machine;
        m_closing = other.m_closing;
        m_greys = other.m_greys;
        other.m_machine = nullptr;
    }
    return *this;
}

RefreshHold::~RefreshHold()
{
    release();
}

void RefreshHold::release()
{
    if (!m_machine)
        return;
    RefreshMachine* machine = m_machine;
    m_machine = nullptr;
    machine->releaseWindow(m_closing, m_greys);
}

RefreshMachine::RefreshMachine(QObject* parent) : QObject(parent), m_timer(this)
{
    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setInterval(kInterval);
    connect(&m_timer, &QTimer::timeout, this, &RefreshMachine::readDue);
    apply();
}

QString RefreshMachine::caption() const
{
    return m_caption;
}

bool RefreshMachine::toggleEnabled() const
{
    return m_toggleEnabled;
}

bool RefreshMachine::refreshOnceEnabled() const
{
    return m_refreshOnceEnabled;
}

void RefreshMachine::apply()
{
    const bool ticking = !m_startup && m_windowHolds == 0 && !m_paused && !m_linkLost
                         && (m_mode == Mode::Running || (m_mode == Mode::Stopped && m_delayedDue));
    if (!ticking)
        m_timer.stop();
    // Setting the interval of a running timer restarts it: only on a change.
    if (m_timer.interval() != m_interval)
        m_timer.setInterval(m_interval);
    if (ticking && !m_timer.isActive())
        m_timer.start();

    const QString caption = isAuto() ? QStringLiteral("Auto") : QStringLiteral("Stop");
    const bool toggle = m_mode != Mode::Suspended && m_greyingHolds == 0;
    const bool once = m_mode == Mode::Stopped && !m_nothingToRead;
    if (caption != m_caption || toggle != m_toggleEnabled || once != m_refreshOnceEnabled) {
        m_caption = caption;
        m_toggleEnabled = toggle;
        m_refreshOnceEnabled = once;
        Q_EMIT changed();
    }
}

void RefreshMachine::setMode(Mode mode)
{
    // Stopping (by the operator, an error or the alarm) gives "Refresh Once" back.
    if (mode == Mode::Stopped && m_mode != Mode::Stopped)
        m_nothingToRead = false;
    m_mode = mode;
    m_paused = false;
}

void RefreshMachine::toggleAuto()
{
    if (m_mode == Mode::Stopped) {
        setMode(Mode::Running);
        // A delayed read armed while auto refresh was off is covered by the
        // running timer; left armed, its read would stop the timer.
        m_delayedArmed = m_delayedDue = false;
        m_interval = kInterval;
    } else {
        setMode(Mode::Stopped);
    }
    apply();
}

void RefreshMachine::commandGoing()
{
    if (m_mode != Mode::Running)
        return;
    setMode(Mode::Suspended);
    apply();
}

void RefreshMachine::commandFinished()
{
    if (m_mode == Mode::Suspended) {
        setMode(Mode::Running);
        m_interval = kInterval;
    } else if (m_delayedArmed) {
        m_delayedDue = true;
        m_paused = false;
    }
    apply();
}

void RefreshMachine::presetEnded()
{
    m_skip = 2;
    commandFinished();
}

void RefreshMachine::readOnceAfter(int intervalMs)
{
    if (m_mode != Mode::Stopped)
        return;
    m_delayedArmed = true;
    m_delayedDue = false;
    m_paused = false;
    m_interval = intervalMs;
    apply();
}

void RefreshMachine::forgetDelayedRead()
{
    m_delayedArmed = m_delayedDue = false;
    m_interval = kInterval;
    apply();
}

void RefreshMachine::powerOn(bool slowStarter)
{
    if (isAuto()) {
        setMode(Mode::Suspended);
        m_skip = slowStarter ? 3 : 1;
        apply();
    } else {
        readOnceAfter(slowStarter ? 6000 : 2000);
    }
}

bool RefreshMachine::admitRead()
{
    if (m_skip > 0) {
        --m_skip;
        return false;
    }
    if (m_delayedArmed) {
        m_delayedArmed = m_delayedDue = false;
        m_interval = kInterval;
        apply();
    }
    return true;
}

void RefreshMachine::skipOneMore()
{
    if (m_skip < 255)
        ++m_skip;
}

void RefreshMachine::readFailed()
{
    // Auto refresh stops at once, so that no later read can stack a second
    // warning on one the operator has not answered yet.
    setMode(Mode::Stopped);
    apply();
    if (m_errorShown)
        return;
    m_errorShown = true;
    Q_EMIT readErrorWarning();
}

void RefreshMachine::errorWarningClosed()
{
    m_errorShown = false;
    setMode(Mode::Stopped);
    apply();
}

void RefreshMachine::alarmDetected()
{
    if (!isAuto())
        return;
    setMode(Mode::Stopped);
    apply();
}

void RefreshMachine::noStatusBlocks()
{
    m_nothingToRead = true;
    apply();
}

void RefreshMachine::sliderPressed()
{
    m_paused = true;
    apply();
}

void RefreshMachine::sliderReleased(bool resume)
{
    if (!resume)
        return;
    m_paused = false;
    apply();
}

RefreshHold RefreshMachine::holdForWindow(RefreshHold::Closing closing, bool greysToggle)
{
    ++m_windowHolds;
    if (greysToggle)
        ++m_greyingHolds;
    apply();
    return RefreshHold(*this, closing, greysToggle);
}

void RefreshMachine::releaseWindow(RefreshHold::Closing closing, bool greys)
{
    if (m_windowHolds > 0)
        --m_windowHolds;
    if (greys && m_greyingHolds > 0)
        --m_greyingHolds;
    if (isAuto()) {
        const bool stop = closing == RefreshHold::Closing::Stop
                          || (closing == RefreshHold::Closing::StopIfAlarm && m_alarmOn);
        setMode(stop ? Mode::Stopped : Mode::Running);
        if (!stop)
            m_interval = kInterval;
    }
    apply();
}

void RefreshMachine::setLinkLost(bool lost)
{
    m_linkLost = lost;
    apply();
}

void RefreshMachine::startupBegins()
{
    m_startup = true;
    apply();
}

void RefreshMachine::startupEnds()
{
    m_startup = false;
    setMode(Mode::Stopped);
    apply();
}

} // namespace peltro
