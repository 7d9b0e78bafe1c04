#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <initializer_list>

namespace peltro {

// A command or inquiry packet for the camera chain: a header byte 0x8x (x the
// camera address, 8 the broadcast), the body, and 0xFF as its last and only
// terminator. A packet built from values that do not make one (a value
// outside one byte, a terminator inside, none at the end) is kept as not
// valid, and the link refuses to put it on the line.
class Packet {
public:
    Packet() = default;
    Packet(std::initializer_list<int> values);
    Packet(const QList<int>& values);   // NOLINT: builders return value lists as packets
    static Packet fromBytes(const QByteArray& bytes);

    bool isValid() const { return m_valid; }
    // The bytes as built; empty when a value did not fit one byte.
    const QByteArray& bytes() const { return m_bytes; }
    int size() const { return int(m_bytes.size()); }
    int at(int index) const { return static_cast<quint8>(m_bytes.at(index)); }
    // 1..7 for a camera's packet, 8 for a broadcast, 0 when not valid.
    int address() const { return m_valid ? at(0) & 0x0F : 0; }
    bool isInquiry() const { return m_valid && size() > 1 && at(1) == 0x09; }
    // "81 01 04 07 02 FF " as the traffic boxes show it.
    QString hex() const;

    bool operator==(const Packet& other) const { return m_bytes == other.m_bytes && m_valid == other.m_valid; }

private:
    void check();
    QByteArray m_bytes;
    bool m_valid = false;
};

// Bytes as the traffic boxes show them: two upper-case digits and a space each.
QString hexBytes(const QByteArray& bytes);

} // namespace peltro
