#include "link.h"

#include "message_service.h"
#include "reply_patterns.h"
#include "traffic_text.h"

#include <QPushButton>
#include <QTimer>
#include <cmath>

namespace peltro {

namespace {
const QString kLineEnd = QStringLiteral("\r\n");

QByteArray filler(int count)
{
    QByteArray bytes(qMax(count, 0), '\0');
    for (int k = 0; k < bytes.size(); ++k)
        bytes[k] = static_cast<char>(k & 0xFF);
    return bytes;
}
} // namespace

Link::Link(PanelState& state, PortObject& port, Clock& clock, MessageService& messages,
           LinkControls controls, QObject* parent)
    : QObject(parent), m_state(state), m_port(port), m_clock(clock), m_messages(messages),
      m_controls(controls)
{
    connect(&m_port, &PortObject::comEvent, this, &Link::onComEvent);
}

QByteArray Link::VarArrayToBytes(const QList<int>& values)
{
    QByteArray bytes;
    bytes.reserve(values.size());
    for (int v : values) {
        if (v < 0 || v > 0xFF)
            return {};
        bytes.append(static_cast<char>(v));
    }
    return bytes;
}

QString Link::hexBytes(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size() * 3);
    for (char c : bytes) {
        text += QStringLiteral("%1 ").arg(static_cast<quint8>(c), 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

bool Link::autoCaptionIsAuto() const
{
    return m_controls.autoRefreshed
        && m_controls.autoRefreshed->text().compare(QLatin1String("Auto"), Qt::CaseInsensitive) == 0;
}

void Link::suspendAutoRefresh()
{
    if (!autoCaptionIsAuto())
        return;
    m_controls.timer1->stop();
    m_controls.autoRefreshed->setEnabled(false);
}

QString Link::SD(const QByteArray& packet, int mode)
{
    if (mode == 1 || mode == 2) {
        suspendAutoRefresh();
        if (!RefreshNotGoCheck())
            return QStringLiteral("NG");
        m_state.echo = true;
        m_port.setRThreshold(mode == 1 ? 1 : 0);
    } else if (mode == 0) {
        m_state.echo = false;
        m_port.setRThreshold(0);
    }
    // A packet that could not be built is never put on the line.
    if (packet.isEmpty())
        return QStringLiteral("NG");
    if (m_state.echo && m_controls.sendText) {
        m_controls.sendText->append(hexBytes(packet) + kLineEnd);
        m_controls.sendText->cut();
        m_controls.sendText->refresh();
    }
    return m_port.write(packet) ? QStringLiteral("OK") : QStringLiteral("NG");
}

QString Link::SendDirect(const QString& hexText)
{
    suspendAutoRefresh();
    if (!RefreshNotGoCheck())
        return QStringLiteral("NG");
    // Only whole hexadecimal pairs go out; anything else is refused as a whole.
    QByteArray bytes;
    if (hexText.size() % 2 != 0)
        return QStringLiteral("NG");
    for (int i = 0; i < hexText.size(); i += 2) {
        bool ok = false;
        const int v = hexText.mid(i, 2).toInt(&ok, 16);
        if (!ok || hexText.at(i) == '+' || hexText.at(i) == '-')
            return QStringLiteral("NG");
        bytes.append(static_cast<char>(v));
    }
    m_state.echo = true;
    m_port.setRThreshold(1);
    bool written = true;
    for (char b : bytes) {
        written = m_port.write(QByteArray(1, b)) && written;
        if (m_controls.sendText)
            m_controls.sendText->append(hexBytes(QByteArray(1, b)));
    }
    if (m_controls.sendText) {
        m_controls.sendText->append(kLineEnd);
        m_controls.sendText->refresh();
    }
    return written ? QStringLiteral("OK") : QStringLiteral("NG");
}

void Link::onComEvent(int code)
{
    if (code == PortObject::SendEvent) {
        m_state.terminatorReceived = false;
        m_state.replyPending = true;
        return;
    }
    if (code != PortObject::ReceiveEvent || m_port.rThreshold() <= 0)
        return;
    const QByteArray bytes = m_port.read();
    if (!bytes.isEmpty())
        handleReceived(bytes);
}

void Link::handleReceived(const QByteArray& bytes)
{
    TrafficText* recv = m_controls.recvText;
    for (char c : bytes) {
        if (m_state.echo && recv)
            recv->append(hexBytes(QByteArray(1, c)));
        if (static_cast<quint8>(c) == 0xFF) {
            m_state.terminatorReceived = true;
            m_state.replyPending = false;
            CheckFinishCommand();
            if (m_state.echo && recv)
                recv->append(kLineEnd);
        }
    }
    if (recv) {
        recv->cut();
        recv->refresh();
    }
}

void Link::clearTraffic()
{
    if (m_controls.sendText)
        m_controls.sendText->clearText();
    if (m_controls.recvText)
        m_controls.recvText->clearText();
}

void Link::flushInput()
{
    if (m_port.isOpen())
        m_port.read();
}

bool Link::WaitCheck(double limit)
{
    if (limit <= 0) {
        m_stopwatchArmed = false;
        return true;
    }
    if (!m_stopwatchArmed) {
        m_stopwatchArmed = true;
        m_stopwatchStart = m_clock.now();
        return false;
    }
    if (m_clock.now() - m_stopwatchStart >= limit) {
        m_stopwatchArmed = false;
        return true;
    }
    return false;
}

QByteArray Link::WaitReply(int count)
{
    if (m_replyReadBusy)
        return filler(count + 1);
    m_replyReadBusy = true;
    m_lastWaitTimedOut = false;

    constexpr double kLimit = 1.0;
    bool success = false;
    for (;;) {
        if (m_port.inBufferCount() >= count) {
            success = true;
            break;
        }
        if (WaitCheck(kLimit))
            break;
        // Block on the port until bytes come or the second is up; no spinning.
        const double left = kLimit - (m_clock.now() - m_stopwatchStart);
        const int msecs = qMax(1, static_cast<int>(std::ceil(left * 1000.0)));
        m_port.waitForReadyRead(msecs);
    }

    QByteArray result;
    if (success) {
        result = m_port.read();
    } else {
        m_state.replyPending = false;
        flushInput();
        result = filler(count);
        m_lastWaitTimedOut = true;
    }
    WaitCheck(0);
    m_replyReadBusy = false;
    return result;
}

bool Link::CheckFinishCommand()
{
    const QString window = recognitionWindow(m_controls.recvText ? m_controls.recvText->text() : QString());

    if (!windowShowsFinishing(window)) {
        if (windowShows(ReplyKind::Acknowledge, window)) {
            suspendAutoRefresh();
            m_state.presetAcknowledged = m_state.presetBusy;
            return false;
        }
        if (windowShows(ReplyKind::NetworkChange, window)) {
            m_messages.notify(QStringLiteral("Warning"),
                              QStringLiteral("Network Change was received.\n"
                                             "Please implement IF_Clear (broadcast), AddressSet command."),
                              QMessageBox::Warning);
            return true;
        }
        return false;
    }

    if (m_state.presetBusy) {
        bool finished;
        if (windowShows(ReplyKind::InquiryAnswer, window))
            finished = false;
        else if (windowShows(ReplyKind::Completion, window))
            finished = m_state.presetAcknowledged;
        else
            finished = true;
        if (finished) {
            if (releasePreset)
                releasePreset(m_state.presetKind, m_state.presetNumber);
            m_state.presetBusy = false;
            m_state.refreshSkip = 2;
            resumeAutoRefresh();
        } else {
            suspendAutoRefresh();
        }
    } else {
        resumeAutoRefresh();
    }
    return true;
}

void Link::resumeAutoRefresh()
{
    QTimer* timer = m_controls.timer1;
    if (autoCaptionIsAuto() && !timer->isActive() && !m_controls.autoRefreshed->isEnabled()) {
        timer->setInterval(2000);
        timer->start();
        m_controls.autoRefreshed->setEnabled(true);
    } else if (m_state.refreshRestart) {
        timer->start();
    }
}

void Link::ARError()
{
    // Auto refresh stops at once, so that no further read can stack a second
    // warning on top of this one while the operator has not answered yet.
    stopAutoRefresh();
    if (m_refreshErrorShown)
        return;
    m_refreshErrorShown = true;
    m_messages.notify(QStringLiteral("Warning"),
                      QStringLiteral("Refresh Action Error !\nRefresh Action is Stopped."),
                      QMessageBox::Critical, [this] {
                          m_refreshErrorShown = false;
                          stopAutoRefresh();
                      });
}

void Link::stopAutoRefresh()
{
    m_controls.timer1->stop();
    m_controls.autoRefreshed->setText(QStringLiteral("Stop"));
    // A read that failed while auto refresh was suspended would otherwise
    // leave the button greyed with no way to switch auto refresh on again.
    m_controls.autoRefreshed->setEnabled(true);
    if (m_controls.refreshOnce)
        m_controls.refreshOnce->setEnabled(true);
    flushInput();
}

} // namespace peltro
