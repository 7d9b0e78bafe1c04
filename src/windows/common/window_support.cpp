#include "window_support.h"

#include "frm_main.h"
#include "link.h"
#include "traffic_log.h"

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

WindowHold::WindowHold(FrmMain& main, bool stopDocking) : m_main(main)
{
    m_main.refresh().holdForWindow();
    m_dockingWasActive = m_main.timer2->isActive();
    if (stopDocking)
        m_main.timer2->stop();
}

void WindowHold::release(RefreshController::Closing closing)
{
    if (m_released)
        return;
    m_released = true;
    m_main.refresh().releaseWindow(closing, m_main.state().alarmOn);
    if (m_dockingWasActive && !m_main.timer2->isActive())
        m_main.timer2->start();
}

void logPacket(TrafficLog& log, const QByteArray& packet)
{
    log.append(TrafficLog::Sent, Link::hexBytes(packet) + TrafficLog::kLineEnd);
    log.cut(TrafficLog::Sent);
    log.publish(TrafficLog::Sent);
}

QString sendLogged(FrmMain& main, TrafficLog& log, const QList<int>& packet)
{
    const QByteArray bytes = Link::VarArrayToBytes(packet);
    const QString result = main.link().sendForWindow(bytes);
    if (result == QLatin1String("OK"))
        logPacket(log, bytes);
    return result;
}

void resumeReceiving(Link& link)
{
    link.state().echo = true;
    link.port().setRThreshold(1);
}

} // namespace peltro
