#pragma once

#include <QByteArray>
#include <optional>

namespace peltro {

// The four status blocks a camera answers with (16 bytes each: y0 50, thirteen
// data bytes, FF), decoded into plain values. Positions travel as one
// hexadecimal digit per byte, in the low four bits.

bool isValidBlock(const QByteArray& block);

struct LensBlock {
    std::optional<int> zoom;    // absent while the zoom is moving
    std::optional<int> focus;   // absent while the focus is moving
    int nearLimit = 0;
    bool separateMode = false;  // digital zoom separate from the optical zoom
    bool digitalZoomOn = false;
    bool afSensitivityLow = false;
    bool autoFocus = false;
    int afSubModeBits = 0;      // 0x00, 0x08, 0x10 or 0x18
};

struct CameraBlock {
    int wbMode = 0;
    int aeMode = 0;
    int rGain = 0;
    int bGain = 0;
    int aperture = 0;
    int shutter = 0;
    int iris = 0;
    int gain = 0;
    int bright = 0;
    int expComp = 0;
    bool slowShutter = false;
    bool expCompOn = false;
    bool backLight = false;
};

struct OtherBlock {
    bool power = false;
    bool keyLock = false;
    bool autoIcr = false;
    bool lrReverse = false;
    bool freeze = false;
    bool dataScreen = false;
    bool titleDisplay = false;
    int pictureEffect = 0;
    int digitalEffect = 0;
    int effectLevel = 0;
    int cameraId = 0;
    int videoSystem = 0;        // 0 60-field, 1 50-field
};

struct ExpandedBlock {
    int digitalZoom = 0;
    bool alarmOn = false;
    bool ceilingMount = false;
    bool motionDetection = false;
};

// The pan/tilt head's position, status word and maximum speeds.
struct PanTiltStatus {
    int pan = 0;
    int tilt = 0;
    int statusWord = 0;
    int maxPanSpeed = 0;
    int maxTiltSpeed = 0;
};

// One status read of a camera, decoded: the four blocks (none on a model
// without status blocks; the expanded block only where the model has it) and
// the pan/tilt head's status where it was read.
struct CameraStatus {
    int address = 0;
    bool blocksRead = false;
    LensBlock lens;
    CameraBlock camera;
    OtherBlock other;
    std::optional<ExpandedBlock> expanded;
    std::optional<PanTiltStatus> panTilt;
};

LensBlock decodeLens(const QByteArray& block);
CameraBlock decodeCamera(const QByteArray& block);
OtherBlock decodeOther(const QByteArray& block);
ExpandedBlock decodeExpanded(const QByteArray& block);

// "0x" and upper-case hexadecimal without leading zeros: 26 -> "0x1A".
QString hexText(int value);

} // namespace peltro
