#include "window_support.h"

#include "traffic_log.h"
#include "twips.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace peltro {

namespace {

class EscapeCloser final : public QObject {
public:
    explicit EscapeCloser(QWidget& window) : QObject(&window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_window && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
                m_window.close();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& m_window;
};

} // namespace

QMargins frameMargins(const QWidget& window)
{
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void placeOnScreen(QWidget& window, const QPoint& at, const QWidget& beside)
{
    const QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen)
        screen = beside.screen();
    if (!screen) {
        window.move(at);
        return;
    }
    const QMargins frame = window.frameGeometry() != window.geometry() ? frameMargins(window) : frameMargins(beside);
    // A window never resized takes its size hint when it shows.
    const QSize client = window.testAttribute(Qt::WA_Resized)
        ? window.size()
        : window.sizeHint().expandedTo(window.minimumSize()).boundedTo(window.maximumSize());
    const QSize outer = client.grownBy(frame);
    const QRect area = screen->availableGeometry();
    window.move(qMax(area.left(), qMin(at.x(), area.right() + 1 - outer.width())),
                qMax(area.top(), qMin(at.y(), area.bottom() + 1 - outer.height())));
}

void closeOnEscape(QWidget& window)
{
    window.installEventFilter(new EscapeCloser(window));
}

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
    placeOnScreen(window, main.pos() + QPoint(twips::toPixels(leftTwips), twips::toPixels(topTwips)), main);
}

} // namespace peltro
