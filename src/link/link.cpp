#include "link.h"

#include "hex_text.h"
#include "reply_patterns.h"

#include <cmath>

namespace peltro {

namespace {
QByteArray filler(int count)
{
    QByteArray bytes(qMax(count, 0), '\0');
    for (int k = 0; k < bytes.size(); ++k)
        bytes[k] = static_cast<char>(k & 0xFF);
    return bytes;
}
} // namespace

Link::Link(PanelState& state, PortObject& port, Clock& clock, QObject* parent)
    : QObject(parent), m_state(state), m_port(port), m_clock(clock)
{
    connect(&m_port, &PortObject::comEvent, this, &Link::onComEvent);
    m_presetWatch.setParent(this);
    m_presetWatch.setObjectName(QStringLiteral("PresetWatch"));
    m_presetWatch.setSingleShot(true);
    connect(&m_presetWatch, &QTimer::timeout, this, [this] {
        // The watch runs on the real clock; the link's clock decides.
        if (m_state.presetBusy && !expireOverduePreset()) {
            const double left = kPresetLimit - (m_clock.now() - m_presetStarted);
            m_presetWatch.start(qMax(1, static_cast<int>(std::ceil(left * 1000.0))));
        }
    });
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

bool Link::writePort(const QByteArray& bytes)
{
    Q_EMIT wrote(bytes);
    return m_port.write(bytes);
}

QByteArray Link::readPort()
{
    const QByteArray bytes = m_port.read();
    if (!bytes.isEmpty())
        Q_EMIT received(bytes);
    return bytes;
}

void Link::drainLateAnswers(const QByteArray& next)
{
    // Bytes left over from an earlier exchange are never this one's answer.
    if (m_port.isOpen() && m_port.inBufferCount() > 0)
        readPort();
    // The same inquiry again may take its own late answer; any other waits
    // until a late answer to the one that ran out can no longer come.
    if (!m_lateAnswers || next == m_timedOut)
        return;
    for (double left = m_lateUntil - m_clock.now(); left > 0 && !m_port.isLost();
         left = m_lateUntil - m_clock.now()) {
        m_port.waitForReadyRead(qMax(1, static_cast<int>(std::ceil(left * 1000.0))));
        if (m_port.isOpen() && m_port.inBufferCount() > 0)
            readPort();
    }
    m_lateAnswers = false;
}

void Link::echoSent(const QByteArray& packet)
{
    m_traffic.append(TrafficLog::Sent, hexBytes(packet) + TrafficLog::kLineEnd);
    m_traffic.cut(TrafficLog::Sent);
    m_traffic.publish(TrafficLog::Sent);
}

bool Link::refuseIfLost()
{
    if (!m_port.isLost())
        return false;
    Q_EMIT refused(m_port.lastError());
    return true;
}

QString Link::SD(const QByteArray& packet, int mode)
{
    // Nothing goes to a lost port, and nothing is suspended for it: the
    // operator is told instead.
    if (mode == 1 || mode == 2 ? refuseIfLost() : m_port.isLost())
        return QStringLiteral("NG");
    if (mode == 1 || mode == 2) {
        Q_EMIT commandGoing();
        if (!RefreshNotGoCheck())
            return QStringLiteral("NG");
        m_state.echo = true;
        m_port.setRThreshold(mode == 1 ? 1 : 0);
    } else if (mode == 0) {
        // Replies that came in for the receive handler and were not announced
        // yet are its own: it takes them first, so that the command they
        // answer is seen to finish, before the silent exchange begins.
        if (m_port.rThreshold() > 0 && m_port.isOpen() && m_port.inBufferCount() > 0)
            handleReceived(readPort());
        m_state.echo = false;
        m_port.setRThreshold(0);
    }
    // A packet that could not be built is never put on the line.
    if (packet.isEmpty())
        return QStringLiteral("NG");
    // A broadcast comes back as it went; a camera answers with 0x80 + 16 x
    // its address.
    const int header = static_cast<quint8>(packet.at(0));
    m_expectedSource = header == 0x88 ? 0x88 : (header >= 0x81 && header <= 0x87) ? 0x80 + 16 * (header & 0x0F) : 0;
    if (mode == 0) {
        drainLateAnswers(packet);
        m_lastSilent = packet;
        m_lastSilentAt = m_clock.now();
        if (m_lateAnswers)
            m_lateUntil = qMax(m_lateUntil, m_lastSilentAt + kLateAnswerWindow);
    }
    if (m_state.echo)
        echoSent(packet);
    return writePort(packet) ? QStringLiteral("OK") : QStringLiteral("NG");
}

QString Link::sendForWindow(const QByteArray& packet)
{
    if (refuseIfLost())
        return QStringLiteral("NG");
    Q_EMIT commandGoing();
    if (!RefreshNotGoCheck() || packet.isEmpty())
        return QStringLiteral("NG");
    m_state.echo = true;
    m_port.setRThreshold(1);
    return writePort(packet) ? QStringLiteral("OK") : QStringLiteral("NG");
}

QString Link::SendDirect(const QString& hexText)
{
    if (refuseIfLost())
        return QStringLiteral("NG");
    Q_EMIT commandGoing();
    if (!RefreshNotGoCheck())
        return QStringLiteral("NG");
    // Only whole pairs of hexadecimal digits go out; any other character
    // (a blank or a control character included) refuses the text as a whole.
    if (hexText.size() % 2 != 0)
        return QStringLiteral("NG");
    QByteArray bytes;
    for (int i = 0; i < hexText.size(); i += 2) {
        const int high = hexDigit(hexText.at(i));
        const int low = hexDigit(hexText.at(i + 1));
        if (high < 0 || low < 0)
            return QStringLiteral("NG");
        bytes.append(static_cast<char>(high * 16 + low));
    }
    m_state.echo = true;
    m_port.setRThreshold(1);
    bool written = true;
    for (char b : bytes) {
        written = writePort(QByteArray(1, b)) && written;
        m_traffic.append(TrafficLog::Sent, hexBytes(QByteArray(1, b)));
    }
    m_traffic.append(TrafficLog::Sent, TrafficLog::kLineEnd);
    m_traffic.cut(TrafficLog::Sent);
    m_traffic.publish(TrafficLog::Sent);
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
    const QByteArray bytes = readPort();
    if (!bytes.isEmpty())
        handleReceived(bytes);
}

void Link::handleReceived(const QByteArray& bytes)
{
    for (char c : bytes) {
        if (m_state.echo)
            m_traffic.append(TrafficLog::Received, hexBytes(QByteArray(1, c)));
        if (static_cast<quint8>(c) == 0xFF) {
            m_state.terminatorReceived = true;
            m_state.replyPending = false;
            CheckFinishCommand();
            if (m_state.echo)
                m_traffic.append(TrafficLog::Received, TrafficLog::kLineEnd);
        }
    }
    m_traffic.cut(TrafficLog::Received);
    m_traffic.publish(TrafficLog::Received);
}

void Link::flushInput()
{
    if (m_port.isOpen())
        readPort();
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
    QByteArray got;
    for (;;) {
        if (m_port.inBufferCount() > 0)
            got += readPort();
        // Noise on the line before the answer is skipped: the answer starts
        // with the source byte of whoever was asked.
        if (m_expectedSource != 0) {
            const qsizetype start = got.indexOf(char(m_expectedSource));
            got.remove(0, start < 0 ? got.size() : start);
        }
        if (got.size() >= count) {
            success = true;
            break;
        }
        // A lost port answers nothing more: no waiting out the second.
        if (m_port.isLost() || WaitCheck(kLimit))
            break;
        // Block on the port until bytes come or the second is up; no spinning.
        const double left = kLimit - (m_clock.now() - m_stopwatchStart);
        const int msecs = qMax(1, static_cast<int>(std::ceil(left * 1000.0)));
        m_port.waitForReadyRead(msecs);
    }

    QByteArray result;
    if (success) {
        result = got;
    } else {
        m_state.replyPending = false;
        flushInput();
        result = filler(count);
        m_lastWaitTimedOut = true;
        // The answer may yet come, late: the next other inquiry waits it out.
        // Not from a lost port: what comes after its return is new.
        if (!m_port.isLost()) {
            m_lateAnswers = true;
            m_timedOut = m_lastSilent;
            m_lateUntil = qMax(m_lateUntil, m_lastSilentAt + kLateAnswerWindow);
        }
    }
    WaitCheck(0);
    m_replyReadBusy = false;
    return result;
}

bool Link::CheckFinishCommand()
{
    const QString window = recognitionWindow(m_traffic.text(TrafficLog::Received));

    // A running preset looks at each reply as it ends, not at the whole
    // window: an earlier command's completion may still stand in it.
    if (m_state.presetBusy)
        return checkPresetReply(window);

    if (!windowShowsFinishing(window)) {
        if (windowShows(ReplyKind::Acknowledge, window)) {
            Q_EMIT commandPending();
            return false;
        }
        if (windowShows(ReplyKind::NetworkChange, window)) {
            Q_EMIT networkChange();
            return true;
        }
        return false;
    }
    Q_EMIT commandFinished();
    return true;
}

bool Link::checkPresetReply(const QString& window)
{
    const std::optional<NewestReply> reply = newestReply(window);
    if (!reply)
        return false;
    bool finished = false;
    switch (reply->kind) {
    case ReplyKind::Acknowledge:
        // The first acknowledge after the preset's packet is its own.
        if (!m_state.presetAcknowledged) {
            m_state.presetAcknowledged = true;
            m_state.presetSocket = reply->socket;
        }
        Q_EMIT commandPending();
        return false;
    case ReplyKind::NetworkChange:
        Q_EMIT networkChange();
        return true;
    case ReplyKind::InquiryAnswer:
        finished = false;
        break;
    case ReplyKind::Completion:
        finished = m_state.presetAcknowledged && reply->socket == m_state.presetSocket;
        break;
    case ReplyKind::Error:
        // Refused at once (no acknowledge yet), or failed on its own socket.
        finished = !m_state.presetAcknowledged || reply->socket == m_state.presetSocket;
        break;
    case ReplyKind::InterfaceClearReturned:
    case ReplyKind::AddressSetReturned:
        // The chain was cleared or renumbered: nothing will end it any more.
        finished = true;
        break;
    }
    if (finished)
        endPreset();
    else
        Q_EMIT commandPending();
    return true;
}

void Link::endPreset()
{
    m_state.presetBusy = false;
    m_presetWatch.stop();
    Q_EMIT presetFinished(m_state.presetKind, m_state.presetNumber);
}

void Link::startPreset(int kind, int number)
{
    m_state.presetBusy = true;
    m_state.presetKind = std::uint8_t(kind);
    m_state.presetNumber = number;
    m_state.presetAcknowledged = false;
    m_state.presetSocket = -1;
    m_presetStarted = m_clock.now();
    m_presetWatch.start(static_cast<int>(kPresetLimit * 1000.0));
}

bool Link::expireOverduePreset()
{
    if (!m_state.presetBusy || m_clock.now() - m_presetStarted < kPresetLimit)
        return false;
    Q_EMIT presetAbandoned(m_state.presetKind, m_state.presetNumber);
    endPreset();
    return true;
}

} // namespace peltro
