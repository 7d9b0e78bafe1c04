#include "preset_operation.h"

#include <QtGlobal>
#include <cmath>

namespace peltro {

PresetOperation::PresetOperation(Kind kind, int number, int address, Clock& clock, QObject* parent)
    : QObject(parent), m_kind(kind), m_number(number), m_address(address), m_clock(clock), m_started(clock.now())
{
    m_watch.setSingleShot(true);
    connect(&m_watch, &QTimer::timeout, this, [this] {
        if (!m_ended && !expireIfOverdue()) {
            const double left = kLimit - (m_clock.now() - m_started);
            m_watch.start(qMax(1, static_cast<int>(std::ceil(left * 1000.0))));
        }
    });
    m_watch.start(static_cast<int>(kLimit * 1000.0));
}

bool PresetOperation::takeReply(const NewestReply& reply)
{
    if (m_ended)
        return false;
    bool finishing = false;
    switch (reply.kind) {
    case ReplyKind::Acknowledge:
        // The first acknowledge after the preset's packet is its own.
        if (!m_acknowledged) {
            m_acknowledged = true;
            m_socket = reply.socket;
        }
        return false;
    case ReplyKind::NetworkChange:
    case ReplyKind::InquiryAnswer:
        return false;
    case ReplyKind::Completion:
        finishing = m_acknowledged && reply.socket == m_socket;
        break;
    case ReplyKind::Error:
        // Refused at once (no acknowledge yet), or failed on its own socket.
        finishing = !m_acknowledged || reply.socket == m_socket;
        break;
    case ReplyKind::InterfaceClearReturned:
    case ReplyKind::AddressSetReturned:
        finishing = true;
        break;
    }
    if (finishing)
        end();
    return finishing;
}

bool PresetOperation::expireIfOverdue()
{
    if (m_ended || m_clock.now() - m_started < kLimit)
        return false;
    Q_EMIT abandoned();
    end();
    return true;
}

void PresetOperation::endNow()
{
    if (!m_ended)
        end();
}

void PresetOperation::end()
{
    m_ended = true;
    m_watch.stop();
    Q_EMIT finished();
}

} // namespace peltro
