#include "traffic_log.h"

namespace peltro {

const QString TrafficLog::kLineEnd = QStringLiteral("\r\n");

void TrafficLog::cut(Box box)
{
    QString& text = textOf(box);
    if (text.size() > kLimit)
        text = text.right(kLimit);
}

void TrafficLog::clear()
{
    m_sent.clear();
    m_received.clear();
    Q_EMIT changed(Sent);
    Q_EMIT changed(Received);
}

} // namespace peltro
