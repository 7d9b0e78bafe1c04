#include "port_object.h"

#include <QMetaObject>
#include <QStringList>

namespace peltro {

bool PortObject::setSettings(const QString& settings)
{
    const QStringList parts = settings.trimmed().split(',');
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const int baud = parts[0].trimmed().toInt(&ok);
    if (!ok || (baud != 9600 && baud != 38400))
        return false;
    if (parts[1].trimmed().compare("n", Qt::CaseInsensitive) != 0 || parts[2].trimmed() != "8"
        || parts[3].trimmed() != "1")
        return false;
    m_baud = baud;
    return true;
}

void PortObject::setRThreshold(int threshold)
{
    const bool switchedOn = m_rThreshold <= 0 && threshold > 0;
    m_rThreshold = threshold;
    // Bytes that came in while notifications were off are announced now,
    // so that a late reply is not left unseen in the buffer.
    if (switchedOn && isOpen() && inBufferCount() > 0)
        bytesArrived();
}

void PortObject::bytesArrived()
{
    if (!m_waitingPosted) {
        m_waitingPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_waitingPosted = false;
                if (isOpen() && inBufferCount() > 0)
                    Q_EMIT bytesWaiting();
            },
            Qt::QueuedConnection);
    }
    if (m_rThreshold <= 0 || m_receivePosted)
        return;
    m_receivePosted = true;
    QMetaObject::invokeMethod(this, &PortObject::deliverReceive, Qt::QueuedConnection);
}

void PortObject::deliverReceive()
{
    m_receivePosted = false;
    // The bytes may have been taken meanwhile by a blocking read, or
    // notifications switched off; then there is nothing to announce.
    if (m_rThreshold <= 0 || !isOpen() || inBufferCount() <= 0)
        return;
    Q_EMIT comEvent(ReceiveEvent);
}

void PortObject::outputDrained()
{
    if (m_sThreshold <= 0)
        return;
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT comEvent(SendEvent); }, Qt::QueuedConnection);
}

void PortObject::reportLost(const QString& reason)
{
    setLastError(reason);
    if (m_lost)
        return;
    m_lost = true;
    watchForReturn(true);
    if (m_lostPosted)
        return;
    m_lostPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_lostPosted = false;
            // Reopened (or closed on purpose) meanwhile: nothing to tell.
            if (m_lost)
                Q_EMIT lost(m_lastError);
        },
        Qt::QueuedConnection);
}

void PortObject::reportMayBeBack()
{
    if (!m_lost || m_backPosted)
        return;
    m_backPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_backPosted = false;
            if (m_lost)
                Q_EMIT mayBeBack();
        },
        Qt::QueuedConnection);
}

void PortObject::endLoss()
{
    if (!m_lost)
        return;
    m_lost = false;
    watchForReturn(false);
}

} // namespace peltro
