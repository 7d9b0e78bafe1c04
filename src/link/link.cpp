#include "link.h"

#include "camera_packets.h"
#include "hex_text.h"
#include "reply_patterns.h"
#include "tcp_endpoint.h"

#include <QtGlobal>
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

QString resultText(SendResult result)
{
    return result == SendResult::Sent ? QStringLiteral("OK") : QStringLiteral("NG");
}

Link::Link(PortObject& port, Clock& clock, QObject* parent)
    : QObject(parent), m_port(port), m_clock(clock), m_replyDeadline(clock, this), m_clearDeadline(clock, this)
{
    connect(&m_port, &PortObject::comEvent, this, &Link::onComEvent);
    connect(&m_port, &PortObject::bytesWaiting, this, [this] {
        collectReply();
        // Bytes while a late answer is waited out are drained as they come.
        if (m_clearDone)
            readLeftovers();
    });
    connect(&m_replyDeadline, &ClockTimer::timeout, this, [this] {
        if (m_reply.done) {
            collectReply();   // what came with the deadline still counts
            if (m_reply.done)
                finishReply(false);
        }
    });
    connect(&m_clearDeadline, &ClockTimer::timeout, this, &Link::finishClear);
    connect(&m_port, &PortObject::lost, this, [this](const QString& reason) {
        collectReply();
        finishClear();
        Q_EMIT lost(reason);
    });
    connect(&m_port, &PortObject::mayBeBack, this, &Link::mayBeBack);
}

bool Link::overNetwork() const
{
    return isTcpDevice(currentDevice());
}

bool Link::writePort(const QByteArray& bytes)
{
    m_lastWrittenAt = m_clock.now();
    Q_EMIT wrote(bytes);
    return m_port.write(bytes);
}

QByteArray Link::readPort()
{
    const QByteArray bytes = m_port.read();
    if (!bytes.isEmpty()) {
        m_lastReceivedAt = m_clock.now();
        Q_EMIT received(bytes);
    }
    return bytes;
}

void Link::readLeftovers()
{
    // Bytes left over from an earlier exchange are never this one's answer.
    if (m_port.isOpen() && m_port.inBufferCount() > 0)
        readPort();
}

void Link::awaitClearFor(const Packet& next, std::function<void()> done)
{
    cancelClear();
    // Replies that came in for the receive handler and were not announced
    // yet are its own: it takes them first, so that the command they answer
    // is seen to finish, before the silent exchange begins.
    if (m_port.rThreshold() > 0 && m_port.isOpen() && m_port.inBufferCount() > 0)
        handleReceived(readPort());
    readLeftovers();
    // The same inquiry again may take its own late answer; any other waits
    // until a late answer to the one that ran out can no longer come.
    if (!m_lateAnswers || next.bytes() == m_timedOut) {
        done();
        return;
    }
    const double left = m_lateUntil - m_clock.now();
    if (left <= 0 || m_port.isLost()) {
        m_lateAnswers = false;
        done();
        return;
    }
    m_clearDone = std::move(done);
    m_clearDeadline.start(left);
}

void Link::cancelClear()
{
    m_clearDeadline.stop();
    m_clearDone = nullptr;
}

void Link::finishClear()
{
    if (!m_clearDone)
        return;
    m_clearDeadline.stop();
    readLeftovers();
    m_lateAnswers = false;
    auto done = std::move(m_clearDone);
    m_clearDone = nullptr;
    done();
}

void Link::echoSent(const QByteArray& packet)
{
    m_traffic.append(TrafficLog::Sent, hexBytes(packet) + TrafficLog::kLineEnd);
    m_traffic.cut(TrafficLog::Sent);
    m_traffic.publish(TrafficLog::Sent);
}

bool Link::refuseIfLost()
{
    if (!m_port.isLost() && !m_heldBack)
        return false;
    Q_EMIT refused(m_port.lastError());
    return true;
}

SendResult Link::SD(const Packet& packet, SendMode mode)
{
    const bool command = mode == SendMode::Command || mode == SendMode::ReadBack;
    // Nothing goes to a lost port, and nothing is suspended for it: the
    // operator is told instead. A stop still goes to a server that passes
    // nothing back: it can only end, right behind it, a movement that reached
    // the server before it stalled.
    const bool stopPasses = m_heldBack && !m_port.isLost() && isMotionStop(packet.bytes());
    if (command ? !stopPasses && refuseIfLost() : m_port.isLost())
        return SendResult::RefusedLinkLost;
    if (command) {
        Q_EMIT commandGoing();
        if (!RefreshNotGoCheck())
            return SendResult::RefusedBusy;
        m_echo = true;
        m_port.setRThreshold(mode == SendMode::Command ? 1 : 0);
    } else {
        // Replies that came in for the receive handler and were not announced
        // yet are its own: it takes them first, so that the command they
        // answer is seen to finish, before the silent exchange begins.
        if (m_port.rThreshold() > 0 && m_port.isOpen() && m_port.inBufferCount() > 0)
            handleReceived(readPort());
        m_echo = false;
        m_port.setRThreshold(0);
    }
    // A packet that could not be built is never put on the line.
    if (!packet.isValid())
        return SendResult::RefusedMalformed;
    const QByteArray& bytes = packet.bytes();
    // A broadcast comes back as it went; a camera answers with 0x80 + 16 x
    // its address.
    const int address = packet.address();
    m_expectedSource = address == 8 ? 0x88 : 0x80 + 16 * address;
    if (mode == SendMode::Silent) {
        readLeftovers();
        m_lastSilent = bytes;
        m_lastSilentAt = m_clock.now();
        if (m_lateAnswers)
            m_lateUntil = qMax(m_lateUntil, m_lastSilentAt + kLateAnswerWindow);
    }
    if (m_echo)
        echoSent(bytes);
    return writePort(bytes) ? SendResult::Sent : SendResult::WriteFailed;
}

SendResult Link::sendForWindow(const Packet& packet)
{
    if (refuseIfLost())
        return SendResult::RefusedLinkLost;
    Q_EMIT commandGoing();
    if (!RefreshNotGoCheck())
        return SendResult::RefusedBusy;
    if (!packet.isValid())
        return SendResult::RefusedMalformed;
    m_echo = true;
    m_port.setRThreshold(1);
    return writePort(packet.bytes()) ? SendResult::Sent : SendResult::WriteFailed;
}

SendResult Link::SendDirect(const QString& hexText)
{
    if (refuseIfLost())
        return SendResult::RefusedLinkLost;
    Q_EMIT commandGoing();
    if (!RefreshNotGoCheck())
        return SendResult::RefusedBusy;
    // Only whole pairs of hexadecimal digits go out; any other character
    // (a blank or a control character included) refuses the text as a whole.
    if (hexText.size() % 2 != 0)
        return SendResult::RefusedMalformed;
    QByteArray bytes;
    for (int i = 0; i < hexText.size(); i += 2) {
        const int high = hexDigit(hexText.at(i));
        const int low = hexDigit(hexText.at(i + 1));
        if (high < 0 || low < 0)
            return SendResult::RefusedMalformed;
        bytes.append(static_cast<char>(high * 16 + low));
    }
    m_echo = true;
    m_port.setRThreshold(1);
    bool written = true;
    for (char b : bytes) {
        written = writePort(QByteArray(1, b)) && written;
        m_traffic.append(TrafficLog::Sent, hexBytes(QByteArray(1, b)));
    }
    m_traffic.append(TrafficLog::Sent, TrafficLog::kLineEnd);
    m_traffic.cut(TrafficLog::Sent);
    m_traffic.publish(TrafficLog::Sent);
    return written ? SendResult::Sent : SendResult::WriteFailed;
}

void Link::onComEvent(int code)
{
    if (code == PortObject::SendEvent) {
        m_terminatorReceived = false;
        m_replyPending = true;
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
        if (m_echo)
            m_traffic.append(TrafficLog::Received, hexBytes(QByteArray(1, c)));
        if (static_cast<quint8>(c) == 0xFF) {
            m_terminatorReceived = true;
            m_replyPending = false;
            CheckFinishCommand();
            if (m_echo)
                m_traffic.append(TrafficLog::Received, TrafficLog::kLineEnd);
        }
    }
    m_traffic.cut(TrafficLog::Received);
    m_traffic.publish(TrafficLog::Received);
}

void Link::echoAnswer(const QByteArray& answer)
{
    m_echo = true;
    if (!m_lastWaitTimedOut) {
        for (char c : answer) {
            m_traffic.append(TrafficLog::Received, hexBytes(QByteArray(1, c)));
            if (static_cast<quint8>(c) == 0xFF) {
                m_replyPending = false;
                m_terminatorReceived = true;
                m_traffic.append(TrafficLog::Received, TrafficLog::kLineEnd);
            }
        }
        m_traffic.cut(TrafficLog::Received);
        m_traffic.publish(TrafficLog::Received);
    }
    if (m_port.rThreshold() == 0)
        m_port.setRThreshold(1);
}

void Link::resumeReceiving()
{
    m_echo = true;
    m_port.setRThreshold(1);
}

bool Link::openPort(std::optional<int> comPort, const QString& speedText)
{
    if (comPort)
        m_port.setCommPort(*comPort);
    if (!speedText.isEmpty())
        m_port.setSettings(speedText + QStringLiteral(",n,8,1"));
    m_port.setDtrEnable(true);
    // A failure shows up as a missing answer; the caller says why.
    const bool opened = m_port.open();
    m_port.setRThreshold(0);
    m_port.setSThreshold(1);
    return opened;
}

bool Link::reopenPort()
{
    return m_port.open();
}

void Link::closePort()
{
    m_port.close();
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

void Link::awaitReply(int count, std::function<void(const QByteArray&)> done)
{
    // One reply wait at a time: a second one gets a filler at once.
    if (m_reply.done) {
        done(filler(count + 1));
        return;
    }
    m_reply.count = count;
    m_reply.got.clear();
    m_reply.done = std::move(done);
    m_lastWaitTimedOut = false;
    m_replyDeadline.start(kReplyLimit);
    collectReply();
}

void Link::cancelReply()
{
    m_replyDeadline.stop();
    m_reply = {};
}

void Link::collectReply()
{
    if (!m_reply.done)
        return;
    if (m_port.isOpen() && m_port.inBufferCount() > 0)
        m_reply.got += readPort();
    // Noise on the line before the answer is skipped: the answer starts
    // with the source byte of whoever was asked.
    if (m_expectedSource != 0) {
        const qsizetype start = m_reply.got.indexOf(char(m_expectedSource));
        m_reply.got.remove(0, start < 0 ? m_reply.got.size() : start);
    }
    if (m_reply.got.size() >= m_reply.count)
        finishReply(true);
    else if (m_port.isLost())   // a lost port answers nothing more: no waiting out the second
        finishReply(false);
}

void Link::finishReply(bool answered)
{
    m_replyDeadline.stop();
    QByteArray result;
    if (answered) {
        result = m_reply.got;
    } else {
        m_replyPending = false;
        flushInput();
        result = filler(m_reply.count);
        m_lastWaitTimedOut = true;
        // The answer may yet come, late: the next other inquiry waits it out.
        // Not from a lost port: what comes after its return is new.
        if (!m_port.isLost()) {
            m_lateAnswers = true;
            m_timedOut = m_lastSilent;
            m_lateUntil = qMax(m_lateUntil, m_lastSilentAt + kLateAnswerWindow);
        }
    }
    auto done = std::move(m_reply.done);
    m_reply = {};
    done(result);
}

bool Link::CheckFinishCommand()
{
    const QString window = recognitionWindow(m_traffic.text(TrafficLog::Received));
    ReplyEnd end;
    end.finishing = windowShowsFinishing(window);
    end.acknowledge = windowShows(ReplyKind::Acknowledge, window);
    end.networkChange = windowShows(ReplyKind::NetworkChange, window);
    end.newest = newestReply(window);
    Q_EMIT replyEnded(end);
    return end.finishing;
}

} // namespace peltro
