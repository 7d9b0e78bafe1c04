#pragma once

#include "catalogue.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <array>
#include <cstdint>
#include <optional>

namespace peltro::sim {

// Everything a command changes and an inquiry reports. The defaults are the
// camera as it comes out of the box: powered on, wide end, focus at infinity
// with the near limit at its nearest, auto focus (normal sub-mode), white
// balance "Auto", full-auto exposure at mid values, every picture switch off.
struct CameraState {
    bool power = true;

    // Lens
    int zoom = 0;                       // 0 .. the model's zoom maximum
    int digitalZoom = 0;                // 0 .. 0xEB
    bool digitalZoomOn = false;
    bool digitalZoomSeparate = false;   // false: combine mode
    int focus = 0x1000;
    int focusNearLimit = 0xC000;
    bool focusAuto = true;
    int afSubMode = 0;                  // 0 normal, 1 interval AF, 2 zoom trigger
    bool afSensitivityLow = false;      // set by the "on" packet of the AF sensitivity switch
    int afActiveTime = 0x05;            // two hexadecimal digits each
    int afIntervalTime = 0x05;

    // White balance
    int wbMode = 0;                     // 0 auto, 1 indoor, 2 outdoor, 3 one push, 4 ATW, 5 manual
    int rGain = 0x80;
    int bGain = 0x80;

    // Exposure
    int aperture = 5;
    int aeMode = 0x00;                  // 00 full auto, 03 manual, 0A/0B/0C/0D priorities and bright, 1A/1B/1C
    int shutter = 6;
    int iris = 11;
    int gain = 1;
    int bright = 15;
    int expComp = 7;                    // 7 is 0 dB
    bool expCompOn = false;
    bool backLight = false;
    bool slowShutter = false;

    // Picture
    int pictureEffect = 0;              // 0 off .. 8 stretch
    int digitalEffect = 0;              // 0 off .. 4 trail
    int effectLevel = 0;                // 0 .. 32
    bool lrReverse = false;
    bool freeze = false;
    bool flip = false;
    bool mute = false;
    bool stabilizer = false;
    bool autoIcr = false;
    bool icr = false;
    int vPhase = 0;                     // 0 .. 255
    bool vPhase180 = false;
    bool lineLock = false;

    // Display and system
    bool keyLock = false;
    bool dataScreen = false;
    bool titleDisplay = false;
    bool dateDisplay = false;
    bool timeDisplay = false;
    int cameraId = 0;                   // 0 .. 0xFFFF
    int videoSystem = 0;                // 0 60-field, 1 50-field (set from the model)

    // Alarm and timers
    bool alarmOn = false;
    int alarmMode = 0;                  // 0 .. 12 (12 day & night)
    int alarmDayLevel = 0xFFF;
    int alarmNightLevel = 0xFFF;
    int aeLevel = 0x800;                // the present AE level the level inquiry reports
    bool ceilingMount = false;
    bool motionDetectionAvailable = true;
    int autoPowerOffMinutes = 0;
    int nightPowerOffMinutes = 0;
    int aeLevelDrift = 0x0C8;           // how far the AE level moves between two level inquiries

    // Spot exposure: on or off, and the spot on the 16 x 16 grid.
    bool aeSpot = false;
    int aeSpotQ = 8;
    int aeSpotS = 8;

    // Service mode and the words read in it: date of manufacture as BCD
    // digits (year; month and day) and how often the camera block was
    // remodelled. A negative value: the camera keeps no such word.
    bool serviceMode = false;
    int manufactureYear = 0x2004;
    int manufactureMonthDay = 0x0715;
    int remodelCount = 2;

    // Pan/tilt head (signed; answers carry them as 16-bit two's complement)
    int pan = 0;
    int tilt = 0;
    int panMaxSpeed = 0x18;
    int tiltMaxSpeed = 0x18;
    int panTiltStatus = 0;              // status word as reported

    std::uint8_t romHigh = 0x02;
    std::uint8_t romLow = 0x05;

    // Privacy masks A..X: rectangles, which show, their colours, the grid.
    struct MaskRect {
        int x = 0, y = 0, width = 0, height = 0;
        bool operator==(const MaskRect&) const = default;
    };
    std::array<MaskRect, 24> masks{};
    int maskDisplay = 0;                // bit i: mask i shows
    int maskColourSet = 0;              // bit i: mask i was in the last colour command
    int maskColour1 = 0;                // colour codes of that command (0x10: half tone)
    int maskColour2 = 0;
    bool maskGrid = false;
    // Privacy zones 1..6 on the 16 x 12 grid: x, y, width, height.
    std::array<std::array<int, 4>, 6> zones{};
    bool zonesOn = false;

    // Title: 20 character codes and their placement and look.
    std::array<int, 20> title = [] {
        std::array<int, 20> t{};
        t.fill(0x1B);
        return t;
    }();
    int titleVertical = 0;
    int titleHorizontal = 0;
    int titleColour = 0;
    int titleBlink = 0;

    // Camera clock, as the date and time command last set it.
    int clockYear = 0;                  // last two digits
    int clockMonth = 1;
    int clockDay = 1;
    int clockHour = 0;
    int clockMinute = 0;

    // Setting memory of the block cameras (0x000..0xFFF): the memory itself,
    // and the working copy the camera runs on, loaded from it at power-on.
    // Address 0x001 holds 01 while writing is allowed; 0xCFC the serial
    // speed code (0 9600, 1 19200, 2 38400 bps).
    bool settingMode = false;
    std::array<std::uint8_t, 0x1000> settingMemory{};
    std::array<std::uint8_t, 0x1000> settingWorking{};
};

// Groups of commands a model knows. A command of a group the model lacks is
// answered with the syntax error.
enum Feature : std::uint64_t {
    FeatZoom            = 1ull << 0,    // zoom direct and drive
    FeatFocus           = 1ull << 1,    // focus direct and drive, near limit
    FeatFocusModes      = 1ull << 2,    // auto/manual, one push AF, infinity
    FeatAfSubModes      = 1ull << 3,    // normal/interval/zoom trigger, AF times
    FeatAfSensitivity   = 1ull << 4,
    FeatDZoomSwitch     = 1ull << 5,    // digital zoom on/off
    FeatDZoomControl    = 1ull << 6,    // digital zoom direct, drive, 1x/max
    FeatDZoomMode       = 1ull << 7,    // combine/separate
    FeatExposure        = 1ull << 8,    // AE modes, shutter, iris, gain, bright, back light, aperture
    FeatExpComp         = 1ull << 9,
    FeatSlowShutter     = 1ull << 10,
    FeatWhiteBalance    = 1ull << 11,   // WB modes, R/B gains, one push trigger
    FeatIcr             = 1ull << 12,
    FeatStabilizer      = 1ull << 13,
    FeatFreeze          = 1ull << 14,
    FeatLrReverse       = 1ull << 15,
    FeatPictureFlip     = 1ull << 16,
    FeatPictureEffects  = 1ull << 17,
    FeatDigitalEffects  = 1ull << 18,
    FeatMute            = 1ull << 19,
    FeatKeyLock         = 1ull << 20,
    FeatDataScreen      = 1ull << 21,
    FeatTitle           = 1ull << 22,
    FeatDateTime        = 1ull << 23,
    FeatCameraId        = 1ull << 24,
    FeatSync            = 1ull << 25,   // internal sync
    FeatLineLock        = 1ull << 26,
    FeatVPhase          = 1ull << 27,
    FeatAlarm           = 1ull << 28,
    FeatAutoPowerOff    = 1ull << 29,
    FeatNightPowerOff   = 1ull << 30,
    FeatPanTilt         = 1ull << 31,
    FeatMemory          = 1ull << 32,
    FeatLensInit        = 1ull << 33,
    FeatCompScan        = 1ull << 34,
    FeatStatusBlocks    = 1ull << 35,   // the four status block inquiries
    FeatPrivacyMasks    = 1ull << 36,   // 24 masks A..X with colours, grid and pan-tilt masks
    FeatPrivacyZones    = 1ull << 37,   // six zones on a 16 x 12 grid
    FeatAESpot          = 1ull << 40,   // spot exposure and its position
    FeatServiceWords    = 1ull << 41,   // service mode, word reads of manufacture date and remodel count
    FeatSettingMemory   = 1ull << 48,   // setting mode, setting memory read/set/write
};

// What one model knows and the ranges of its direct positions.
struct ModelProfile {
    std::uint64_t features = 0;
    int zoomMax = 0x7000;
    int focusMin = 0x1000;
    int focusMax = 0xC000;
    int digitalZoomMax = 0xEB;
    int gainMax = 15;
    int shutterMax = 21;
    int brightMax = 31;
    int irisMax = 17;
    int expCompMax = 14;
    int apertureMax = 15;
    QList<int> aeModes;          // accepted AE mode codes
    QList<int> pictureEffects;   // accepted picture effect codes
    QList<int> memories;         // accepted memory numbers
    int videoSystem = 0;

    bool has(std::uint64_t feature) const { return (features & feature) == feature; }
};

ModelProfile profileFor(const ModelId& model);

// One camera of the chain: answers one packet at a time from its state.
class SimCamera {
public:
    explicit SimCamera(const ModelId& model);

    const ModelId& model() const { return m_model; }
    const ModelProfile& profile() const { return m_profile; }

    int address = 0;        // assigned by the chain (1..7)
    CameraState state;
    QMap<int, CameraState> memories;   // stored by memory set, by memory number

    // The replies to one complete packet addressed to this camera, in order,
    // each a whole packet ending 0xFF.
    QList<QByteArray> handle(const QByteArray& packet);

    QByteArray versionAnswer() const;           // 10 bytes
    QByteArray statusBlock(int block) const;    // 16 bytes: 0 lens, 1 camera, 2 other, 3 expanded
    QByteArray networkChangeNotice() const;     // y0 38 FF

    // Reply building blocks, with this camera's source byte.
    char source() const { return char(0x80 + 16 * address); }
    QByteArray reply(std::initializer_list<int> body) const;
    QByteArray syntaxError() const { return reply({0x60, 0x02}); }
    QByteArray notExecutable() const { return reply({0x61, 0x41}); }

    static constexpr int kMaxPacket = 16;

private:
    QList<QByteArray> command(const QByteArray& body);
    QList<QByteArray> inquiry(const QByteArray& body);
    // The setting memory's commands and inquiry; none for any other packet.
    std::optional<QList<QByteArray>> settingMemoryPacket(const QByteArray& body);

    ModelId m_model;
    ModelProfile m_profile;
};

} // namespace peltro::sim
