#include "window_support.h"

#include "traffic_log.h"
#include "twips.h"

#include <QTimer>
#include <QWidget>

namespace peltro {

WindowHold::WindowHold(WindowContext& context, HoldKind kind)
    : m_session(context.session), m_dockTimer(&context.dockTimer)
{
    if (kind == HoldKind::None) {
        m_released = true;
        return;
    }
    m_refresh = context.session.refresh().holdForWindow(RefreshHold::Closing::ResumeIfAuto, kind != HoldKind::TimersOnly);
    m_dockingWasActive = m_dockTimer->isActive();
    if (kind != HoldKind::Refresh)
        m_dockTimer->stop();
}

WindowHold::~WindowHold()
{
    release(RefreshHold::Closing::ResumeIfAuto);
}

void WindowHold::release(RefreshHold::Closing closing)
{
    if (m_released)
        return;
    m_released = true;
    if (closing == RefreshHold::Closing::StopIfAlarm)
        closing = m_session.alarm().on ? RefreshHold::Closing::Stop : RefreshHold::Closing::ResumeIfAuto;
    m_refresh.setClosing(closing);
    m_refresh.release();
    if (m_dockTimer && m_dockingWasActive && !m_dockTimer->isActive())
        m_dockTimer->start();
}

void logPacket(TrafficLog& log, const Packet& packet)
{
    log.append(TrafficLog::Sent, packet.hex() + TrafficLog::kLineEnd);
    log.cut(TrafficLog::Sent);
    log.publish(TrafficLog::Sent);
}

SendResult sendLogged(CameraSession& session, TrafficLog& log, const Packet& packet)
{
    const SendResult result = session.windowCommand(packet);
    if (result == SendResult::Sent)
        logPacket(log, packet);
    return result;
}

void placeBeside(QWidget& window, const QWidget& main, double leftTwips, double topTwips)
{
    window.move(main.pos() + QPoint(twips::toPixels(leftTwips), twips::toPixels(topTwips)));
}

} // namespace peltro
