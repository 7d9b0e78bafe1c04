#include "privacy_packets.h"
#include "hex_text.h"

namespace peltro::privacy {

namespace {

constexpr int kEnd = 0xFF;

QList<int> command(int address, int cmd)
{
    return {0x80 + address, 0x01, 0x04, cmd};
}

void appendMasks(QList<int>& packet, const MaskSet& masks)
{
    const std::array<int, 4> m = packMasks(masks);
    packet << m[3] << m[2] << m[1] << m[0];
}

} // namespace

QString maskLetter(int mask)
{
    return QString(QChar(u'A' + mask));
}

QStringList setMaskNames()
{
    QStringList names;
    for (int i = 0; i < kMaskCount; ++i)
        names << QStringLiteral("SetMask_") + maskLetter(i);
    return names;
}

QStringList ptzMaskNames()
{
    QStringList names;
    for (int i = 0; i < kMaskCount; ++i)
        names << QStringLiteral("Mask_") + maskLetter(i);
    return names;
}

QStringList colourNames()
{
    return {QStringLiteral("Black"), QStringLiteral("Gray1"), QStringLiteral("Gray2"), QStringLiteral("Gray3"),
            QStringLiteral("Gray4"), QStringLiteral("Gray5"), QStringLiteral("Gray6"), QStringLiteral("White"),
            QStringLiteral("Red"),   QStringLiteral("Green"), QStringLiteral("Blue"),  QStringLiteral("Cyan"),
            QStringLiteral("Yellow"), QStringLiteral("Magenta")};
}

std::array<int, 4> packMasks(const MaskSet& masks)
{
    std::array<int, 4> bytes{};
    for (int i = 0; i < kMaskCount; ++i) {
        if (masks[i])
            bytes[i / 6] |= 1 << (i % 6);
    }
    return bytes;
}

int directionCode(int index)
{
    static constexpr int kCodes[kDirectionCount] = {0x21, 0x01, 0x11, 0x20, 0x00, 0x10, 0x22, 0x02, 0x12};
    return index >= 0 && index < kDirectionCount ? kCodes[index] : 0x00;
}

int moveDirection(const std::array<bool, kDirectionCount>& selected)
{
    for (int index : {1, 2, 5, 8, 7, 6, 3, 0}) {
        if (selected[index])
            return directionCode(index);
    }
    return 0x00;
}

std::optional<QList<int>> hexDigits(const QString& text, int count)
{
    if (text.size() != count)
        return std::nullopt;
    QList<int> digits;
    for (QChar c : text) {
        const int v = hexDigit(c);
        if (v < 0)
            return std::nullopt;
        digits << v;
    }
    return digits;
}

std::optional<int> zoneValue(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        const int v = hexDigit(c);
        if (v < 0)
            return std::nullopt;
        value = value * 16 + v;
        if (value > kZoneValueMax)
            return std::nullopt;
    }
    return value;
}

Packet maskRectanglePacket(int address, int mask, bool isNew, const QList<int>& xywh)
{
    QList<int> p = command(address, 0x76);
    p << mask << (isNew ? 0x01 : 0x00) << xywh << kEnd;
    return p;
}

Packet maskDisplayPacket(int address, const MaskSet& masks)
{
    QList<int> p = command(address, 0x77);
    appendMasks(p, masks);
    p << kEnd;
    return p;
}

Packet maskColourPacket(int address, const MaskSet& masks, int colour1, bool half1, int colour2, bool half2)
{
    QList<int> p = command(address, 0x78);
    appendMasks(p, masks);
    p << colour1 + (half1 ? kHalfTone : 0) << colour2 + (half2 ? kHalfTone : 0) << kEnd;
    return p;
}

Packet gridPacket(int address, bool on)
{
    QList<int> p = command(address, 0x7C);
    p << (on ? 0x02 : 0x03) << kEnd;
    return p;
}

Packet panTiltAnglePacket(int address, const QList<int>& pan, const QList<int>& tilt)
{
    QList<int> p = command(address, 0x79);
    p << pan << tilt << kEnd;
    return p;
}

Packet movePanTiltPacket(int address, const QList<int>& pan, const QList<int>& tilt, int direction)
{
    QList<int> p = command(address, 0x7A);
    p << pan << tilt << direction << kEnd;
    return p;
}

Packet ptzMaskPacket(int address, int mask, const QList<int>& pan, const QList<int>& tilt,
                         const QList<int>& zoom)
{
    QList<int> p = command(address, 0x7B);
    p << mask << pan << tilt << zoom << kEnd;
    return p;
}

Packet zoneSetPacket(int address, int set, const std::array<int, 8>& values)
{
    QList<int> p = command(address, 0x76);
    p << set;
    for (int v : values)
        p << v;
    p << kEnd;
    return p;
}

Packet zoneSwitchPacket(int address, ZoneSwitch action)
{
    QList<int> p = command(address, 0x77);
    p << int(action) << kEnd;
    return p;
}

} // namespace peltro::privacy
