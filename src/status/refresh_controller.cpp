#include "refresh_controller.h"

#include "link.h"
#include "message_service.h"

#include <QPushButton>
#include <QTimer>

namespace peltro {

RefreshController::RefreshController(QTimer& timer1, QPushButton& autoRefreshed, QPushButton& refreshOnce,
                                     Link& link, MessageService& messages, QObject* parent)
    : QObject(parent), m_timer(timer1), m_autoRefreshed(autoRefreshed), m_refreshOnce(refreshOnce), m_link(link),
      m_messages(messages)
{
    connect(&m_timer, &QTimer::timeout, this, &RefreshController::readDue);
    connect(&m_autoRefreshed, &QPushButton::clicked, this, &RefreshController::toggleAuto);
    connect(&m_link, &Link::commandGoing, this, &RefreshController::suspendForCommand);
    connect(&m_link, &Link::commandPending, this, &RefreshController::suspendForCommand);
    connect(&m_link, &Link::commandFinished, this, &RefreshController::resumeAfterCommand);
    connect(&m_link, &Link::presetFinished, this, &RefreshController::resumeAfterPreset);
    apply();
}

void RefreshController::apply()
{
    const bool ticking = !m_startup && m_windowHolds == 0 && !m_paused && !m_portLost
                         && (m_mode == Mode::Running || (m_mode == Mode::Stopped && m_delayedDue));
    if (!ticking)
        m_timer.stop();
    // Setting the interval of a running timer restarts it: only on a change.
    if (m_timer.interval() != m_interval)
        m_timer.setInterval(m_interval);
    if (ticking && !m_timer.isActive())
        m_timer.start();

    m_autoRefreshed.setText(isAuto() ? QStringLiteral("Auto") : QStringLiteral("Stop"));
    m_autoRefreshed.setEnabled(m_mode != Mode::Suspended && m_windowHolds == 0);
    m_refreshOnce.setEnabled(m_mode == Mode::Stopped && !m_nothingToRead);
}

void RefreshController::setMode(Mode mode)
{
    // Stopping (by the operator, an error or the alarm) gives "Refresh Once" back.
    if (mode == Mode::Stopped && m_mode != Mode::Stopped)
        m_nothingToRead = false;
    m_mode = mode;
    m_paused = false;
}

void RefreshController::toggleAuto()
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

void RefreshController::suspendForCommand()
{
    if (m_mode != Mode::Running)
        return;
    setMode(Mode::Suspended);
    apply();
}

void RefreshController::resumeAfterCommand()
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

void RefreshController::resumeAfterPreset()
{
    m_skip = 2;
    resumeAfterCommand();
}

bool RefreshController::takeSkip()
{
    if (m_skip == 0)
        return false;
    --m_skip;
    return true;
}

void RefreshController::beginRead()
{
    if (!m_delayedArmed)
        return;
    m_delayedArmed = m_delayedDue = false;
    m_interval = kInterval;
    apply();
}

void RefreshController::skipTicks(int count)
{
    m_skip = std::uint8_t(qBound(0, count, 255));
}

void RefreshController::skipOneMore()
{
    if (m_skip < 255)
        ++m_skip;
}

void RefreshController::ARError()
{
    // Auto refresh stops at once, so that no later read can stack a second
    // warning on one the operator has not answered yet.
    setMode(Mode::Stopped);
    apply();
    m_link.flushInput();
    if (m_errorShown)
        return;
    m_errorShown = true;
    m_messages.notify(QStringLiteral("Warning"), QStringLiteral("Refresh Action Error !\nRefresh Action is Stopped."),
                      QMessageBox::Critical, [this] {
                          m_errorShown = false;
                          setMode(Mode::Stopped);
                          apply();
                          m_link.flushInput();
                      });
}

void RefreshController::stopForAlarm()
{
    if (!isAuto())
        return;
    setMode(Mode::Stopped);
    apply();
}

void RefreshController::noStatusToRead()
{
    m_nothingToRead = true;
    apply();
}

void RefreshController::readOnceAfterCommand(int intervalMs)
{
    if (m_mode != Mode::Stopped)
        return;
    m_delayedArmed = true;
    m_delayedDue = false;
    m_paused = false;
    m_interval = intervalMs;
    apply();
}

void RefreshController::suspendAndSkip(int count)
{
    if (!isAuto())
        return;
    setMode(Mode::Suspended);
    skipTicks(count);
    apply();
}

void RefreshController::forgetDelayedRead()
{
    m_delayedArmed = m_delayedDue = false;
    m_interval = kInterval;
    apply();
}

void RefreshController::pauseForSlider()
{
    m_paused = true;
    apply();
}

void RefreshController::resumeAfterSlider()
{
    m_paused = false;
    apply();
}

void RefreshController::holdForWindow()
{
    ++m_windowHolds;
    apply();
}

void RefreshController::releaseWindow(Closing closing, bool alarmOn)
{
    if (m_windowHolds > 0)
        --m_windowHolds;
    if (isAuto()) {
        const bool stop = closing == Closing::Stop || (closing == Closing::StopIfAlarm && alarmOn);
        setMode(stop ? Mode::Stopped : Mode::Running);
        if (!stop)
            m_interval = kInterval;
    }
    apply();
}

void RefreshController::holdForLostPort()
{
    m_portLost = true;
    apply();
}

void RefreshController::releaseLostPort()
{
    m_portLost = false;
    apply();
}

void RefreshController::holdForStartup()
{
    m_startup = true;
    apply();
}

void RefreshController::finishStartup()
{
    m_startup = false;
    setMode(Mode::Stopped);
    apply();
}

} // namespace peltro
