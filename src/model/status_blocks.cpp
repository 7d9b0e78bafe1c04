#include "status_blocks.h"

#include <QString>

namespace peltro {

namespace {

int at(const QByteArray& b, int i)
{
    return i < b.size() ? static_cast<quint8>(b.at(i)) : 0;
}

// Four one-digit bytes, most significant first: b0*4096 + b1*256 + b2*16 + b3.
int word(const QByteArray& b, int first)
{
    return at(b, first) * 4096 + at(b, first + 1) * 256 + at(b, first + 2) * 16 + at(b, first + 3);
}

bool bit(const QByteArray& b, int i, int n)
{
    return (at(b, i) >> n) & 1;
}

} // namespace

bool isValidBlock(const QByteArray& block)
{
    return block.size() >= 16 && (at(block, 0) & 0x80) && at(block, 1) == 0x50 && at(block, 15) == 0xFF;
}

QString hexText(int value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

LensBlock decodeLens(const QByteArray& b)
{
    LensBlock s;
    if (!bit(b, 14, 0))
        s.zoom = word(b, 2);
    if (!bit(b, 14, 1))
        s.focus = word(b, 8);
    s.nearLimit = at(b, 6) * 4096 + at(b, 7) * 256;
    s.separateMode = bit(b, 13, 5);
    s.digitalZoomOn = bit(b, 13, 1);
    s.afSensitivityLow = bit(b, 13, 2);
    s.autoFocus = bit(b, 13, 0);
    s.afSubModeBits = at(b, 13) & 0x18;
    return s;
}

CameraBlock decodeCamera(const QByteArray& b)
{
    CameraBlock s;
    s.rGain = at(b, 2) * 16 + at(b, 3);
    s.bGain = at(b, 4) * 16 + at(b, 5);
    s.wbMode = at(b, 6);
    s.aperture = at(b, 7);
    s.aeMode = at(b, 8);
    s.slowShutter = bit(b, 9, 0);
    s.expCompOn = bit(b, 9, 1);
    s.backLight = bit(b, 9, 2);
    s.shutter = at(b, 10);
    s.iris = at(b, 11);
    s.gain = at(b, 12);
    s.bright = at(b, 13);
    s.expComp = at(b, 14);
    return s;
}

OtherBlock decodeOther(const QByteArray& b)
{
    OtherBlock s;
    s.power = bit(b, 2, 0);
    s.keyLock = bit(b, 2, 1);
    s.autoIcr = bit(b, 2, 2);
    s.lrReverse = bit(b, 3, 2);
    s.freeze = bit(b, 3, 3);
    s.dataScreen = bit(b, 4, 2);
    s.titleDisplay = bit(b, 4, 3);
    s.pictureEffect = at(b, 5);
    s.digitalEffect = at(b, 6);
    s.effectLevel = at(b, 7);
    s.cameraId = word(b, 8);
    s.videoSystem = at(b, 12) & 1;
    return s;
}

ExpandedBlock decodeExpanded(const QByteArray& b)
{
    ExpandedBlock s;
    s.digitalZoom = at(b, 2) * 16 + at(b, 3);
    s.alarmOn = bit(b, 10, 1);
    s.ceilingMount = bit(b, 10, 0);
    s.motionDetection = bit(b, 11, 1);
    return s;
}

} // namespace peltro
