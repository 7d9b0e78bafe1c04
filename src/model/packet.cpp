#include "packet.h"

namespace peltro {

Packet::Packet(std::initializer_list<int> values) : Packet(QList<int>(values)) {}

Packet::Packet(const QList<int>& values)
{
    m_bytes.reserve(values.size());
    for (int v : values) {
        if (v < 0 || v > 0xFF) {
            m_bytes.clear();
            return;
        }
        m_bytes.append(static_cast<char>(v));
    }
    check();
}

Packet Packet::fromBytes(const QByteArray& bytes)
{
    Packet p;
    p.m_bytes = bytes;
    p.check();
    return p;
}

void Packet::check()
{
    m_valid = m_bytes.size() >= 3 && at(0) >= 0x81 && at(0) <= 0x88 && at(size() - 1) == 0xFF
              && m_bytes.indexOf(char(0xFF)) == size() - 1;
}

QString Packet::hex() const
{
    return hexBytes(m_bytes);
}

QString hexBytes(const QByteArray& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size() * 3);
    for (char c : bytes) {
        const auto b = static_cast<quint8>(c);
        text += QLatin1Char(digits[b >> 4]);
        text += QLatin1Char(digits[b & 0x0F]);
        text += QLatin1Char(' ');
    }
    return text;
}

} // namespace peltro
