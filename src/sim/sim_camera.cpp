#include "sim_camera.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace peltro::sim {

namespace {

int at(const QByteArray& bytes, int index)
{
    return static_cast<std::uint8_t>(bytes.at(index));
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    out.reserve(int(values.size()));
    for (int v : values)
        out.append(char(v));
    return out;
}

bool allNibbles(const QByteArray& params)
{
    return std::all_of(params.begin(), params.end(),
                       [](char c) { return static_cast<std::uint8_t>(c) <= 0x0F; });
}

// The value of count nibble bytes starting at from, most significant first.
int nibbleValue(const QByteArray& params, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i)
        value = value * 16 + at(params, i);
    return value;
}

// Writes value as count nibble bytes into out, starting at index from.
void putNibbles(QByteArray& out, int from, int count, int value)
{
    for (int i = count - 1; i >= 0; --i) {
        out[from + i] = char(value & 0x0F);
        value >>= 4;
    }
}

// ---------------------------------------------------------------------------
// The command table. Each entry matches the packet body (the bytes between the
// header and the terminator) by a fixed prefix and a parameter count; a model
// knows the entry when it has the entry's feature. `valid` refuses parameters
// outside the model's range (syntax error), `apply` changes the state.

using Range = std::pair<int, int> (*)(const SimCamera&);
using Valid = std::function<bool(const SimCamera&, const QByteArray&)>;
using Apply = std::function<void(SimCamera&, const QByteArray&)>;
using IntField = int CameraState::*;
using BoolField = bool CameraState::*;

struct CommandDef {
    QByteArray prefix;
    int paramCount = 0;
    std::uint64_t feature = 0;   // 0: every model knows it
    Valid valid;                 // empty: any parameters of the right count
    Apply apply;
    bool whileOff = false;       // executable while the camera is powered off
    // The reply after the acknowledge; empty: the completion.
    std::function<QByteArray(const SimCamera&, const QByteArray&)> answer = {};
};

// Movement of one drive packet: (speed + 1) units; the standard-speed bytes
// 02/03 move at speed 3.
constexpr int kStandardSpeed = 3;

// The zoom position of the digital tele end, reachable while digital zoom is on.
constexpr int kDigitalTeleEnd = 0x8BE0;

// Travel of the pan/tilt head, and its movement per drive packet per speed step.
constexpr int kPanTravel = 0x0900;
constexpr int kTiltTravel = 0x0400;
constexpr int kPanTiltUnit = 0x10;

CommandDef fixed(QByteArray prefix, std::uint64_t feature, Apply apply)
{
    return {std::move(prefix), 0, feature, {}, std::move(apply)};
}

void onOff(QList<CommandDef>& table, int cmd, std::uint64_t feature, BoolField field,
           int onByte = 0x02, int offByte = 0x03)
{
    table << fixed(bytes({0x01, 0x04, cmd, onByte}), feature,
                   [field](SimCamera& c, const QByteArray&) { c.state.*field = true; })
          << fixed(bytes({0x01, 0x04, cmd, offByte}), feature,
                   [field](SimCamera& c, const QByteArray&) { c.state.*field = false; });
}

// Direct position, four nibbles 0p 0q 0r 0s.
CommandDef direct(int cmd, std::uint64_t feature, IntField field, Range range)
{
    return {bytes({0x01, 0x04, cmd}), 4, feature,
            [range](const SimCamera& c, const QByteArray& p) {
                if (!allNibbles(p))
                    return false;
                const int v = nibbleValue(p, 0, 4);
                const auto [lo, hi] = range(c);
                return v >= lo && v <= hi;
            },
            [field](SimCamera& c, const QByteArray& p) { c.state.*field = nibbleValue(p, 0, 4); }};
}

// Direct position 0..0xFF carried as 00 00 0r 0s.
CommandDef direct2(int cmd, std::uint64_t feature, IntField field)
{
    return {bytes({0x01, 0x04, cmd}), 4, feature,
            [](const SimCamera&, const QByteArray& p) {
                return at(p, 0) == 0 && at(p, 1) == 0 && allNibbles(p);
            },
            [field](SimCamera& c, const QByteArray& p) { c.state.*field = nibbleValue(p, 2, 2); }};
}

// Up (02) and down (03) by one, reset (00) to the factory value; a step at
// the end of the range leaves the value there.
CommandDef stepper(int cmd, std::uint64_t feature, IntField field, Range range)
{
    return {bytes({0x01, 0x04, cmd}), 1, feature,
            [](const SimCamera&, const QByteArray& p) {
                const int v = at(p, 0);
                return v == 0x00 || v == 0x02 || v == 0x03;
            },
            [field, range](SimCamera& c, const QByteArray& p) {
                const auto [lo, hi] = range(c);
                int& value = c.state.*field;
                switch (at(p, 0)) {
                case 0x00: value = CameraState{}.*field; break;
                case 0x02: value = std::min(value + 1, hi); break;
                case 0x03: value = std::max(value - 1, lo); break;
                }
            }};
}

// Drive: 00 stop, 2p one way and 3p the other at speed p (0..7), and, where
// standardSpeeds, 02/03 at the standard speed. Each packet moves the value by
// one step; the drive stops at the ends of the range. upSign is the direction
// of the 2p byte.
CommandDef drive(int cmd, std::uint64_t feature, IntField field, Range range, int unit,
                 int upSign, bool standardSpeeds)
{
    return {bytes({0x01, 0x04, cmd}), 1, feature,
            [standardSpeeds](const SimCamera&, const QByteArray& p) {
                const int v = at(p, 0);
                if (v == 0x02 || v == 0x03)
                    return standardSpeeds;
                return v == 0x00 || (v >= 0x20 && v <= 0x27) || (v >= 0x30 && v <= 0x37);
            },
            [field, range, unit, upSign](SimCamera& c, const QByteArray& p) {
                const int v = at(p, 0);
                if (v == 0x00)
                    return;
                const bool up = v == 0x02 || (v & 0xF0) == 0x20;
                const int speed = (v == 0x02 || v == 0x03) ? kStandardSpeed : (v & 0x0F);
                const auto [lo, hi] = range(c);
                const int moved = c.state.*field + (up ? upSign : -upSign) * (speed + 1) * unit;
                c.state.*field = std::clamp(moved, lo, hi);
            }};
}

// One byte out of a set of codes.
CommandDef choice(int cmd, std::uint64_t feature, IntField field,
                  bool (*allowed)(const ModelProfile&, int))
{
    return {bytes({0x01, 0x04, cmd}), 1, feature,
            [allowed](const SimCamera& c, const QByteArray& p) { return allowed(c.profile(), at(p, 0)); },
            [field](SimCamera& c, const QByteArray& p) { c.state.*field = at(p, 0); }};
}

// Settings a memory recall brings back.
void recallInto(CameraState& s, const CameraState& m)
{
    s.zoom = m.zoom;
    s.digitalZoom = m.digitalZoom;
    s.focus = m.focus;
    s.focusAuto = m.focusAuto;
    s.wbMode = m.wbMode;
    s.rGain = m.rGain;
    s.bGain = m.bGain;
    s.aeMode = m.aeMode;
    s.shutter = m.shutter;
    s.iris = m.iris;
    s.gain = m.gain;
    s.bright = m.bright;
    s.expComp = m.expComp;
    s.expCompOn = m.expCompOn;
    s.aperture = m.aperture;
    s.pan = m.pan;
    s.tilt = m.tilt;
}

bool panTiltDriveValid(const SimCamera& c, const QByteArray& p)
{
    const int panSpeed = at(p, 0), tiltSpeed = at(p, 1);
    const int panDir = at(p, 2), tiltDir = at(p, 3);
    if (panDir < 1 || panDir > 3 || tiltDir < 1 || tiltDir > 3)
        return false;
    // Only an axis that moves needs a speed the head can give.
    if (panDir != 3 && (panSpeed < 1 || panSpeed > c.state.panMaxSpeed))
        return false;
    if (tiltDir != 3 && (tiltSpeed < 1 || tiltSpeed > c.state.tiltMaxSpeed))
        return false;
    return true;
}

void panTiltDrive(SimCamera& c, const QByteArray& p)
{
    const int panSpeed = at(p, 0), tiltSpeed = at(p, 1);
    const int panDir = at(p, 2), tiltDir = at(p, 3);
    if (panDir != 3) {
        const int sign = panDir == 2 ? 1 : -1;   // 1 left, 2 right
        c.state.pan = std::clamp(c.state.pan + sign * panSpeed * kPanTiltUnit, -kPanTravel, kPanTravel);
    }
    if (tiltDir != 3) {
        const int sign = tiltDir == 1 ? 1 : -1;  // 1 up, 2 down
        c.state.tilt = std::clamp(c.state.tilt + sign * tiltSpeed * kPanTiltUnit, -kTiltTravel, kTiltTravel);
    }
}

// Privacy masks and zones, and the title.
void addPrivacyAndTitleCommands(QList<CommandDef>& t)
{
    using S = CameraState;
    auto maskBits = [](const QByteArray& p, int from) {
        // m3 m2 m1 m0, six masks to a byte
        int bits = 0;
        for (int k = 0; k < 4; ++k)
            bits |= at(p, from + k) << (6 * (3 - k));
        return bits;
    };
    auto maskBytesValid = [](const QByteArray& p, int from) {
        for (int k = 0; k < 4; ++k) {
            if (at(p, from + k) > 0x3F)
                return false;
        }
        return true;
    };
    auto colourValid = [](int c) { return (c & 0x0F) <= 13 && (c >> 4) <= 1; };

    // Mask rectangle: 76 zz nn 0x 0x 0y 0y 0w 0w 0h 0h (nn 01: a new mask).
    t << CommandDef{bytes({0x01, 0x04, 0x76}), 10, FeatPrivacyMasks,
                    [](const SimCamera&, const QByteArray& p) {
                        return at(p, 0) < 24 && at(p, 1) <= 0x01 && allNibbles(p.mid(2));
                    },
                    [](SimCamera& c, const QByteArray& p) {
                        c.state.masks[at(p, 0)] = {nibbleValue(p, 2, 2), nibbleValue(p, 4, 2), nibbleValue(p, 6, 2),
                                                   nibbleValue(p, 8, 2)};
                    }};
    // Which masks show: 77 m3 m2 m1 m0.
    t << CommandDef{bytes({0x01, 0x04, 0x77}), 4, FeatPrivacyMasks,
                    [maskBytesValid](const SimCamera&, const QByteArray& p) { return maskBytesValid(p, 0); },
                    [maskBits](SimCamera& c, const QByteArray& p) { c.state.maskDisplay = maskBits(p, 0); }};
    // Mask colours: 78 m3 m2 m1 m0 c1 c2.
    t << CommandDef{bytes({0x01, 0x04, 0x78}), 6, FeatPrivacyMasks,
                    [maskBytesValid, colourValid](const SimCamera&, const QByteArray& p) {
                        return maskBytesValid(p, 0) && colourValid(at(p, 4)) && colourValid(at(p, 5));
                    },
                    [maskBits](SimCamera& c, const QByteArray& p) {
                        c.state.maskColourSet = maskBits(p, 0);
                        c.state.maskColour1 = at(p, 4);
                        c.state.maskColour2 = at(p, 5);
                    }};
    onOff(t, 0x7C, FeatPrivacyMasks, &S::maskGrid);
    // Pan-tilt angle (79, six nibbles), move (7A, four nibbles and a
    // direction) and a mask tied to a pan-tilt-zoom position (7B).
    t << CommandDef{bytes({0x01, 0x04, 0x79}), 6, FeatPrivacyMasks,
                    [](const SimCamera&, const QByteArray& p) { return allNibbles(p); },
                    [](SimCamera&, const QByteArray&) {}};
    t << CommandDef{bytes({0x01, 0x04, 0x7A}), 5, FeatPrivacyMasks,
                    [](const SimCamera&, const QByteArray& p) {
                        const int d = at(p, 4);
                        return allNibbles(p.left(4)) && (d >> 4) <= 2 && (d & 0x0F) <= 2;
                    },
                    [](SimCamera&, const QByteArray&) {}};
    t << CommandDef{bytes({0x01, 0x04, 0x7B}), 11, FeatPrivacyMasks,
                    [](const SimCamera&, const QByteArray& p) { return at(p, 0) < 24 && allNibbles(p.mid(1)); },
                    [](SimCamera&, const QByteArray&) {}};

    // Zones: 76 0s and two zones of x y w h; 77 00 clear, 02 on, 03 off.
    t << CommandDef{bytes({0x01, 0x04, 0x76}), 9, FeatPrivacyZones,
                    [](const SimCamera&, const QByteArray& p) {
                        if (at(p, 0) > 2)
                            return false;
                        for (int z = 0; z < 2; ++z) {
                            const int from = 1 + 4 * z;
                            if (at(p, from) > 0x0F || at(p, from + 1) > 0x0B || at(p, from + 2) > 0x0F
                                || at(p, from + 3) > 0x0B)
                                return false;
                        }
                        return true;
                    },
                    [](SimCamera& c, const QByteArray& p) {
                        for (int z = 0; z < 2; ++z) {
                            auto& zone = c.state.zones[2 * at(p, 0) + z];
                            for (int k = 0; k < 4; ++k)
                                zone[k] = at(p, 1 + 4 * z + k);
                        }
                    }};
    onOff(t, 0x77, FeatPrivacyZones, &S::zonesOn);
    t << fixed(bytes({0x01, 0x04, 0x77, 0x00}), FeatPrivacyZones, [](SimCamera& c, const QByteArray&) {
        c.state.zones = {};
        c.state.zonesOn = false;
    });

    // Title: 73 00 vv hh cc bb 00 00 00 00 00 00, 73 01/02 and ten codes; 74 00 clears it.
    t << CommandDef{bytes({0x01, 0x04, 0x73}), 11, FeatTitle,
                    [](const SimCamera&, const QByteArray& p) {
                        const int part = at(p, 0);
                        if (part == 0x00) {
                            return at(p, 1) <= 0x0A && at(p, 2) <= 0x17 && at(p, 3) <= 6 && at(p, 4) <= 1
                                   && p.mid(5) == QByteArray(6, 0);
                        }
                        if (part != 0x01 && part != 0x02)
                            return false;
                        return std::all_of(p.begin() + 1, p.end(),
                                           [](char code) { return static_cast<std::uint8_t>(code) < 0x50; });
                    },
                    [](SimCamera& c, const QByteArray& p) {
                        const int part = at(p, 0);
                        if (part == 0x00) {
                            c.state.titleVertical = at(p, 1);
                            c.state.titleHorizontal = at(p, 2);
                            c.state.titleColour = at(p, 3);
                            c.state.titleBlink = at(p, 4);
                            return;
                        }
                        for (int i = 0; i < 10; ++i)
                            c.state.title[10 * (part - 1) + i] = at(p, 1 + i);
                    }};
    t << fixed(bytes({0x01, 0x04, 0x74, 0x00}), FeatTitle,
               [](SimCamera& c, const QByteArray&) { c.state.title.fill(0x1B); });
}

// Spot exposure, and the service mode with its word reads.
void addSpotAndServiceCommands(QList<CommandDef>& t)
{
    onOff(t, 0x59, FeatAESpot, &CameraState::aeSpot);
    t << CommandDef{bytes({0x01, 0x04, 0x29}), 4, FeatAESpot,
                    [](const SimCamera&, const QByteArray& p) {
                        return at(p, 0) == 0 && at(p, 1) <= 0x0F && at(p, 2) == 0 && at(p, 3) <= 0x0F;
                    },
                    [](SimCamera& c, const QByteArray& p) {
                        c.state.aeSpotQ = at(p, 1);
                        c.state.aeSpotS = at(p, 3);
                    }};

    // Enter 22 11, leave 22 12; a word is read as 1A hh ll, only in the
    // service mode, and answered after the acknowledge with y0 50 0p 0q 0r 0s FF.
    t << fixed(bytes({0x01, 0x06, 0x22, 0x11}), FeatServiceWords,
               [](SimCamera& c, const QByteArray&) { c.state.serviceMode = true; })
      << fixed(bytes({0x01, 0x06, 0x22, 0x12}), FeatServiceWords,
               [](SimCamera& c, const QByteArray&) { c.state.serviceMode = false; });
    auto word = [](const SimCamera& c, const QByteArray& p) -> std::optional<int> {
        int value = -1;
        switch (at(p, 0) << 8 | at(p, 1)) {
        case 0x0300: value = c.state.manufactureYear; break;
        case 0x0301: value = c.state.manufactureMonthDay; break;
        case 0x0203: value = c.state.remodelCount; break;
        default: break;
        }
        return value < 0 ? std::nullopt : std::optional<int>(value);
    };
    t << CommandDef{bytes({0x01, 0x06, 0x1A}), 2, FeatServiceWords,
                    [word](const SimCamera& c, const QByteArray& p) {
                        return c.state.serviceMode && word(c, p).has_value();
                    },
                    [](SimCamera&, const QByteArray&) {}, false,
                    [word](const SimCamera& c, const QByteArray& p) {
                        QByteArray out = c.reply({0x50, 0, 0, 0, 0});
                        putNibbles(out, 2, 4, *word(c, p));
                        return out;
                    }};
}

const QList<CommandDef>& commandTable()
{
    static const QList<CommandDef> table = [] {
        QList<CommandDef> t;
        using S = CameraState;
        // With digital zoom on, the zoom runs on past the optical tele end up to
        // the digital tele end.
        const Range zoomRange = [](const SimCamera& c) {
            return std::pair{0, c.state.digitalZoomOn ? std::max(c.profile().zoomMax, kDigitalTeleEnd)
                                                      : c.profile().zoomMax};
        };
        const Range dzoomRange = [](const SimCamera& c) { return std::pair{0, c.profile().digitalZoomMax}; };
        const Range focusRange = [](const SimCamera& c) {
            return std::pair{c.profile().focusMin, c.profile().focusMax};
        };
        const Range apertureRange = [](const SimCamera& c) { return std::pair{0, c.profile().apertureMax}; };
        const Range expCompRange = [](const SimCamera& c) { return std::pair{0, c.profile().expCompMax}; };
        const Range brightRange = [](const SimCamera& c) { return std::pair{0, c.profile().brightMax}; };
        const Range shutterRange = [](const SimCamera& c) { return std::pair{0, c.profile().shutterMax}; };
        const Range gainRange = [](const SimCamera& c) { return std::pair{0, c.profile().gainMax}; };
        const Range irisRange = [](const SimCamera& c) { return std::pair{0, c.profile().irisMax}; };
        const Range byteRange = [](const SimCamera&) { return std::pair{0, 0xFF}; };

        // Power works in either state.
        t << CommandDef{bytes({0x01, 0x04, 0x00, 0x02}), 0, 0, {},
                        [](SimCamera& c, const QByteArray&) { c.state.power = true; }, true}
          << CommandDef{bytes({0x01, 0x04, 0x00, 0x03}), 0, 0, {},
                        [](SimCamera& c, const QByteArray&) { c.state.power = false; }, true};

        // Value groups: direct position, step or drive.
        t << direct(0x42, FeatExposure, &S::aperture, apertureRange)
          << stepper(0x02, FeatExposure, &S::aperture, apertureRange)
          << direct2(0x43, FeatWhiteBalance, &S::rGain)
          << stepper(0x03, FeatWhiteBalance, &S::rGain, byteRange)
          << direct2(0x44, FeatWhiteBalance, &S::bGain)
          << stepper(0x04, FeatWhiteBalance, &S::bGain, byteRange)
          << direct(0x4E, FeatExpComp, &S::expComp, expCompRange)
          << stepper(0x0E, FeatExpComp, &S::expComp, expCompRange)
          << direct(0x4D, FeatExposure, &S::bright, brightRange)
          << stepper(0x0D, FeatExposure, &S::bright, brightRange)
          << direct(0x4A, FeatExposure, &S::shutter, shutterRange)
          << stepper(0x0A, FeatExposure, &S::shutter, shutterRange)
          << direct(0x4C, FeatExposure, &S::gain, gainRange)
          << stepper(0x0C, FeatExposure, &S::gain, gainRange)
          << direct(0x4B, FeatExposure, &S::iris, irisRange)
          << stepper(0x0B, FeatExposure, &S::iris, irisRange)
          << direct(0x47, FeatZoom, &S::zoom, zoomRange)
          << drive(0x07, FeatZoom, &S::zoom, zoomRange, 0x100, +1, true)
          << direct(0x48, FeatFocus, &S::focus, focusRange)
          << drive(0x08, FeatFocus, &S::focus, focusRange, 0x100, -1, true)   // far: towards infinity
          << direct(0x28, FeatFocus, &S::focusNearLimit, focusRange)
          << direct2(0x45, FeatVPhase, &S::vPhase);

        // V-phase: 02/03 step while held, 00 stop, 40 reset.
        t << CommandDef{bytes({0x01, 0x04, 0x05}), 1, FeatVPhase,
                        [](const SimCamera&, const QByteArray& p) {
                            const int v = at(p, 0);
                            return v == 0x00 || v == 0x02 || v == 0x03 || v == 0x40;
                        },
                        [](SimCamera& c, const QByteArray& p) {
                            switch (at(p, 0)) {
                            case 0x02: c.state.vPhase = std::min(c.state.vPhase + 1, 0xFF); break;
                            case 0x03: c.state.vPhase = std::max(c.state.vPhase - 1, 0); break;
                            case 0x40: c.state.vPhase = CameraState{}.vPhase; break;
                            }
                        }};

        // Digital zoom: 02/03 switch it, so its drive has no standard speed.
        // Switching it off brings a zoom in the digital range back to the
        // optical tele end.
        t << fixed(bytes({0x01, 0x04, 0x06, 0x02}), FeatDZoomSwitch,
                   [](SimCamera& c, const QByteArray&) { c.state.digitalZoomOn = true; })
          << fixed(bytes({0x01, 0x04, 0x06, 0x03}), FeatDZoomSwitch, [](SimCamera& c, const QByteArray&) {
                 c.state.digitalZoomOn = false;
                 c.state.zoom = std::min(c.state.zoom, c.profile().zoomMax);
             });
        t << fixed(bytes({0x01, 0x04, 0x06, 0x10}), FeatDZoomControl,
                   [](SimCamera& c, const QByteArray&) {
                       c.state.digitalZoom = c.state.digitalZoom == 0 ? c.profile().digitalZoomMax : 0;
                   })
          << drive(0x06, FeatDZoomControl, &S::digitalZoom, dzoomRange, 0x04, +1, false)
          << direct(0x46, FeatDZoomControl, &S::digitalZoom, dzoomRange);
        t << fixed(bytes({0x01, 0x04, 0x36, 0x00}), FeatDZoomMode,
                   [](SimCamera& c, const QByteArray&) { c.state.digitalZoomSeparate = false; })
          << fixed(bytes({0x01, 0x04, 0x36, 0x01}), FeatDZoomMode,
                   [](SimCamera& c, const QByteArray&) { c.state.digitalZoomSeparate = true; });

        // Focus modes.
        onOff(t, 0x38, FeatFocusModes, &S::focusAuto);
        t << fixed(bytes({0x01, 0x04, 0x18, 0x01}), FeatFocusModes, [](SimCamera&, const QByteArray&) {})
          << fixed(bytes({0x01, 0x04, 0x18, 0x02}), FeatFocusModes,
                   [](SimCamera& c, const QByteArray&) { c.state.focus = c.profile().focusMin; })
          << choice(0x57, FeatAfSubModes, &S::afSubMode,
                    [](const ModelProfile&, int v) { return v >= 0 && v <= 2; })
          << CommandDef{bytes({0x01, 0x04, 0x27}), 4, FeatAfSubModes,
                        [](const SimCamera&, const QByteArray& p) { return allNibbles(p); },
                        [](SimCamera& c, const QByteArray& p) {
                            c.state.afActiveTime = nibbleValue(p, 0, 2);
                            c.state.afIntervalTime = nibbleValue(p, 2, 2);
                        }};
        onOff(t, 0x58, FeatAfSensitivity, &S::afSensitivityLow);
        t << fixed(bytes({0x01, 0x04, 0x19, 0x01}), FeatLensInit,
                   [](SimCamera& c, const QByteArray&) {
                       c.state.zoom = 0;
                       c.state.focus = c.profile().focusMin;
                   })
          << fixed(bytes({0x01, 0x04, 0x19, 0x02}), FeatCompScan, [](SimCamera&, const QByteArray&) {});

        // Exposure.
        t << choice(0x39, FeatExposure, &S::aeMode,
                    [](const ModelProfile& p, int v) { return p.aeModes.contains(v); });
        onOff(t, 0x33, FeatExposure, &S::backLight);
        onOff(t, 0x5A, FeatSlowShutter, &S::slowShutter);
        onOff(t, 0x3E, FeatExpComp, &S::expCompOn);

        // White balance.
        t << choice(0x35, FeatWhiteBalance, &S::wbMode, [](const ModelProfile&, int v) { return v >= 0 && v <= 5; })
          << fixed(bytes({0x01, 0x04, 0x10, 0x05}), FeatWhiteBalance, [](SimCamera&, const QByteArray&) {});

        // Picture modes and effects.
        t << choice(0x63, FeatPictureEffects, &S::pictureEffect,
                    [](const ModelProfile& p, int v) { return p.pictureEffects.contains(v); })
          << choice(0x64, FeatDigitalEffects, &S::digitalEffect,
                    [](const ModelProfile&, int v) { return v >= 0 && v <= 4; })
          << choice(0x65, FeatDigitalEffects, &S::effectLevel,
                    [](const ModelProfile&, int v) { return v >= 0 && v <= 0x20; });
        onOff(t, 0x66, FeatPictureFlip, &S::flip);
        onOff(t, 0x61, FeatLrReverse, &S::lrReverse);
        onOff(t, 0x62, FeatFreeze, &S::freeze);
        onOff(t, 0x75, FeatMute, &S::mute);
        onOff(t, 0x01, FeatIcr, &S::icr);
        onOff(t, 0x51, FeatIcr, &S::autoIcr);
        onOff(t, 0x34, FeatStabilizer, &S::stabilizer);
        t << fixed(bytes({0x01, 0x04, 0x25, 0x00}), FeatVPhase,
                   [](SimCamera& c, const QByteArray&) { c.state.vPhase180 = false; })
          << fixed(bytes({0x01, 0x04, 0x25, 0x01}), FeatVPhase,
                   [](SimCamera& c, const QByteArray&) { c.state.vPhase180 = true; })
          << fixed(bytes({0x01, 0x04, 0x55, 0x00}), FeatSync,
                   [](SimCamera& c, const QByteArray&) { c.state.lineLock = false; })
          << fixed(bytes({0x01, 0x04, 0x55, 0x01}), FeatSync | FeatLineLock,
                   [](SimCamera& c, const QByteArray&) { c.state.lineLock = true; });

        // Memories: 3F kk pp, kk 00 reset, 01 set, 02 recall.
        t << CommandDef{bytes({0x01, 0x04, 0x3F}), 2, FeatMemory,
                        [](const SimCamera& c, const QByteArray& p) {
                            return at(p, 0) <= 0x02 && c.profile().memories.contains(at(p, 1));
                        },
                        [](SimCamera& c, const QByteArray& p) {
                            const int number = at(p, 1);
                            switch (at(p, 0)) {
                            case 0x00: c.memories.remove(number); break;
                            case 0x01: c.memories.insert(number, c.state); break;
                            case 0x02:
                                if (c.memories.contains(number))
                                    recallInto(c.state, c.memories.value(number));
                                break;
                            }
                        }};

        // Display and system.
        onOff(t, 0x15, FeatDataScreen, &S::dataScreen);
        onOff(t, 0x71, FeatDateTime, &S::dateDisplay);
        onOff(t, 0x72, FeatDateTime, &S::timeDisplay);
        onOff(t, 0x74, FeatTitle, &S::titleDisplay);
        onOff(t, 0x17, FeatKeyLock, &S::keyLock, 0x02, 0x00);
        t << CommandDef{bytes({0x01, 0x04, 0x22}), 4, FeatCameraId,
                        [](const SimCamera&, const QByteArray& p) { return allNibbles(p); },
                        [](SimCamera& c, const QByteArray& p) { c.state.cameraId = nibbleValue(p, 0, 4); }};

        // Camera clock: 70 then year, month, day, hour, minute as two
        // decimal digits each, one byte per digit.
        t << CommandDef{bytes({0x01, 0x04, 0x70}), 10, FeatDateTime,
                        [](const SimCamera&, const QByteArray& p) {
                            static constexpr int kMin[5] = {0, 1, 1, 0, 0};
                            static constexpr int kMax[5] = {99, 12, 31, 23, 59};
                            for (int i = 0; i < 5; ++i) {
                                if (at(p, 2 * i) > 9 || at(p, 2 * i + 1) > 9)
                                    return false;
                                const int v = at(p, 2 * i) * 10 + at(p, 2 * i + 1);
                                if (v < kMin[i] || v > kMax[i])
                                    return false;
                            }
                            return true;
                        },
                        [](SimCamera& c, const QByteArray& p) {
                            int* fields[5] = {&c.state.clockYear, &c.state.clockMonth, &c.state.clockDay,
                                              &c.state.clockHour, &c.state.clockMinute};
                            for (int i = 0; i < 5; ++i)
                                *fields[i] = at(p, 2 * i) * 10 + at(p, 2 * i + 1);
                        }};

        // Alarm and power-off timers.
        onOff(t, 0x6B, FeatAlarm, &S::alarmOn);
        t << choice(0x6C, FeatAlarm, &S::alarmMode, [](const ModelProfile&, int v) { return v >= 0 && v <= 12; })
          << CommandDef{bytes({0x01, 0x04, 0x6D}), 6, FeatAlarm,
                        [](const SimCamera&, const QByteArray& p) { return allNibbles(p); },
                        [](SimCamera& c, const QByteArray& p) {
                            c.state.alarmDayLevel = nibbleValue(p, 0, 3);
                            c.state.alarmNightLevel = nibbleValue(p, 3, 3);
                        }}
          << CommandDef{bytes({0x01, 0x04, 0x40}), 4, FeatAutoPowerOff,
                        [](const SimCamera&, const QByteArray& p) { return allNibbles(p); },
                        [](SimCamera& c, const QByteArray& p) { c.state.autoPowerOffMinutes = nibbleValue(p, 0, 4); }}
          << CommandDef{bytes({0x01, 0x04, 0x41}), 4, FeatNightPowerOff,
                        [](const SimCamera&, const QByteArray& p) { return allNibbles(p); },
                        [](SimCamera& c, const QByteArray& p) { c.state.nightPowerOffMinutes = nibbleValue(p, 0, 4); }};

        // Pan/tilt head: drive vv ww 0p 0q, home, reset.
        t << CommandDef{bytes({0x01, 0x06, 0x01}), 4, FeatPanTilt, panTiltDriveValid, panTiltDrive}
          << fixed(bytes({0x01, 0x06, 0x04}), FeatPanTilt,
                   [](SimCamera& c, const QByteArray&) { c.state.pan = c.state.tilt = 0; })
          << fixed(bytes({0x01, 0x06, 0x05}), FeatPanTilt,
                   [](SimCamera& c, const QByteArray&) { c.state.pan = c.state.tilt = 0; });
        addPrivacyAndTitleCommands(t);
        addSpotAndServiceCommands(t);
        return t;
    }();
    return table;
}

// ---------------------------------------------------------------------------
// Inquiries: a fixed body, the feature a model needs, and the answer.

struct InquiryDef {
    QByteArray body;
    std::uint64_t feature;
    std::function<QByteArray(const SimCamera&)> answer;
    std::function<void(SimCamera&)> after = {};   // what changes once the answer is given
};

QByteArray nibbleAnswer(const SimCamera& c, const QList<std::pair<int, int>>& values)
{
    // values: (value, nibble count) in order
    QByteArray out(1, c.source());
    out.append(char(0x50));
    for (const auto& [value, count] : values) {
        QByteArray part(count, 0);
        putNibbles(part, 0, count, value);
        out.append(part);
    }
    out.append(char(0xFF));
    return out;
}

const QList<InquiryDef>& inquiryTable()
{
    static const QList<InquiryDef> table = [] {
        QList<InquiryDef> t;
        t << InquiryDef{bytes({0x09, 0x00, 0x02}), 0, [](const SimCamera& c) { return c.versionAnswer(); }};
        for (int block = 0; block < 4; ++block)
            t << InquiryDef{bytes({0x09, 0x7E, 0x7E, block}), FeatStatusBlocks,
                            [block](const SimCamera& c) { return c.statusBlock(block); }};
        t << InquiryDef{bytes({0x09, 0x06, 0x12}), FeatPanTilt,
                        [](const SimCamera& c) {
                            return nibbleAnswer(c, {{c.state.pan & 0xFFFF, 4}, {c.state.tilt & 0xFFFF, 4}});
                        }}
          << InquiryDef{bytes({0x09, 0x06, 0x10}), FeatPanTilt,
                        [](const SimCamera& c) {
                            return c.reply({0x50, (c.state.panTiltStatus >> 8) & 0xFF, c.state.panTiltStatus & 0xFF});
                        }}
          << InquiryDef{bytes({0x09, 0x06, 0x11}), FeatPanTilt,
                        [](const SimCamera& c) {
                            return c.reply({0x50, c.state.panMaxSpeed, c.state.tiltMaxSpeed});
                        }}
          << InquiryDef{bytes({0x09, 0x04, 0x6B}), FeatAlarm,
                        [](const SimCamera& c) { return c.reply({0x50, c.state.alarmOn ? 0x02 : 0x03}); }}
          << InquiryDef{bytes({0x09, 0x04, 0x6C}), FeatAlarm,
                        [](const SimCamera& c) { return c.reply({0x50, c.state.alarmMode}); }}
          << InquiryDef{bytes({0x09, 0x04, 0x6D}), FeatAlarm,
                        [](const SimCamera& c) {
                            return nibbleAnswer(c, {{c.state.alarmDayLevel, 3},
                                                    {c.state.alarmNightLevel, 3},
                                                    {c.state.aeLevel, 3}});
                        },
                        [](SimCamera& c) {
                            // The scene's light changes between two looks.
                            int& drift = c.state.aeLevelDrift;
                            if (c.state.aeLevel + drift > 0xF00 || c.state.aeLevel + drift < 0x100)
                                drift = -drift;
                            c.state.aeLevel += drift;
                        }}
          << InquiryDef{bytes({0x09, 0x04, 0x40}), FeatAutoPowerOff,
                        [](const SimCamera& c) { return nibbleAnswer(c, {{c.state.autoPowerOffMinutes, 4}}); }}
          << InquiryDef{bytes({0x09, 0x04, 0x41}), FeatNightPowerOff,
                        [](const SimCamera& c) { return nibbleAnswer(c, {{c.state.nightPowerOffMinutes, 4}}); }};
        return t;
    }();
    return table;
}

} // namespace

// ---------------------------------------------------------------------------

ModelProfile profileFor(const ModelId& model)
{
    ModelProfile p;
    const QList<int> allAeModes{0x00, 0x03, 0x0A, 0x0B, 0x0C, 0x0D, 0x1A, 0x1B, 0x1C};
    const QList<int> allEffects{0, 1, 2, 3, 4, 5, 6, 7, 8};

    if (model.family == Family::Quorin) {
        p.memories = {0, 1, 2, 3, 4, 5};
        if (model.modelLow == kModelP1) {
            // The first pan/tilt model is driven only: power, zoom, focus and
            // the head; it answers no status block, it is never read.
            p.features = FeatZoom | FeatFocus | FeatPanTilt;
            return p;
        }
        // QUORIN-P3 (and any later pan/tilt code).
        p.features = FeatStatusBlocks | FeatZoom | FeatFocus | FeatFocusModes | FeatAfSubModes
            | FeatAfSensitivity | FeatDZoomSwitch | FeatDZoomControl | FeatDZoomMode | FeatExposure
            | FeatExpComp | FeatSlowShutter | FeatWhiteBalance | FeatIcr | FeatFreeze | FeatLrReverse
            | FeatPictureEffects | FeatMute | FeatDataScreen | FeatTitle | FeatCameraId | FeatAlarm
            | FeatAutoPowerOff | FeatNightPowerOff | FeatPanTilt | FeatMemory | FeatLensInit | FeatAESpot
            | FeatServiceWords;
        p.zoomMax = 0x7AC0;
        p.aeModes = {0x00, 0x03, 0x0A, 0x0B, 0x0C, 0x0D};
        p.pictureEffects = {0, 2, 4};   // off, negative art, black & white
        if (model.modelLow == kModelP2) {
            p.features &= ~(FeatMute | FeatLensInit | FeatNightPowerOff | FeatTitle | FeatAlarm | FeatIcr
                            | FeatDZoomMode | FeatDZoomControl | FeatAfSubModes | FeatAESpot);
            p.features |= FeatDigitalEffects;
            p.zoomMax = 0x7000;
            p.focusMax = 0x8400;
            p.gainMax = 7;
            p.shutterMax = 19;
            p.brightMax = 23;
            p.aeModes = allAeModes;
            p.pictureEffects = allEffects;
        }
        return p;
    }

    // Block cameras: everything but the head, less what the catalogue row takes away.
    p.features = ~std::uint64_t(0) & ~(FeatPanTilt | FeatServiceWords);
    p.aeModes = allAeModes;
    p.pictureEffects = allEffects;
    p.memories = {0, 1, 2, 3, 4, 5, 0x7F};
    if (const BlockModelRow* row = findBlockModel(model.modelLow)) {
        if (row->lens == LensSet::X10)
            p.brightMax = 23;
        if (row->system == QLatin1String("PAL") || row->system == QLatin1String("CCIR"))
            p.videoSystem = 1;
        for (PanelChange change : row->changes) {
            switch (change) {
            case PanelChange::D: p.features &= ~FeatDateTime; break;
            case PanelChange::ST: p.features &= ~FeatStabilizer; break;
            case PanelChange::FR: p.features &= ~FeatFreeze; break;
            case PanelChange::AS: p.features &= ~FeatSlowShutter; break;
            case PanelChange::WB: p.features &= ~FeatWhiteBalance; break;
            case PanelChange::BW: p.pictureEffects.removeAll(4); break;
            case PanelChange::FM: p.features &= ~(FeatPictureFlip | FeatAlarm); break;
            case PanelChange::VP: p.features &= ~(FeatVPhase | FeatLineLock); break;
            case PanelChange::PA: p.features &= ~FeatPrivacyZones; break;
            case PanelChange::PZ: p.features &= ~FeatPrivacyMasks; break;
            }
        }
    }
    return p;
}

SimCamera::SimCamera(const ModelId& model)
    : m_model(model)
    , m_profile(profileFor(model))
{
    state.videoSystem = m_profile.videoSystem;
    state.motionDetectionAvailable = m_profile.has(FeatAlarm);
}

QByteArray SimCamera::reply(std::initializer_list<int> body) const
{
    QByteArray out(1, source());
    for (int v : body)
        out.append(char(v));
    out.append(char(0xFF));
    return out;
}

QByteArray SimCamera::networkChangeNotice() const
{
    return reply({0x38});
}

QList<QByteArray> SimCamera::handle(const QByteArray& packet)
{
    if (packet.size() > kMaxPacket)
        return {reply({0x60, 0x03})};
    if (packet.size() < 3 || at(packet, packet.size() - 1) != 0xFF)
        return {syntaxError()};
    const QByteArray body = packet.mid(1, packet.size() - 2);
    switch (at(body, 0)) {
    case 0x01: return command(body);
    case 0x09: return inquiry(body);
    default: return {syntaxError()};
    }
}

QList<QByteArray> SimCamera::command(const QByteArray& body)
{
    // Interface clear answers with its own packet, in any power state.
    if (body == bytes({0x01, 0x00, 0x01}))
        return {reply({0x01, 0x00, 0x01})};
    if (auto replies = settingMemoryPacket(body))
        return *replies;

    for (const CommandDef& def : commandTable()) {
        if (body.size() != def.prefix.size() + def.paramCount || !body.startsWith(def.prefix))
            continue;
        if (!m_profile.has(def.feature))
            continue;
        const QByteArray params = body.mid(def.prefix.size());
        if (def.valid && !def.valid(*this, params))
            continue;
        if (!state.power && !def.whileOff)
            return {notExecutable()};
        def.apply(*this, params);
        return {reply({0x41}), def.answer ? def.answer(*this, params) : reply({0x51})};
    }
    return {syntaxError()};
}

QList<QByteArray> SimCamera::inquiry(const QByteArray& body)
{
    if (auto replies = settingMemoryPacket(body))
        return *replies;
    for (const InquiryDef& def : inquiryTable()) {
        if (body != def.body || !m_profile.has(def.feature))
            continue;
        const QByteArray answer = def.answer(*this);
        if (def.after)
            def.after(*this);
        return {answer};
    }
    return {syntaxError()};
}

// ---------------------------------------------------------------------------
// Setting memory of the block cameras. The setting mode (01 7F 7F 10) opens
// it; then 09 7F 7F 01 0a 0a 0a reads a byte of the working copy, 01 7F 7F 03
// ... 0d 0d sets one there, and 01 7F 7F 02 ... 0d 0d writes one into the
// memory and the working copy. Writing is refused (not executable) unless
// address 0x001 holds 01, except to that address itself. Outside the
// setting mode every one but the entry is not executable.

std::optional<QList<QByteArray>> SimCamera::settingMemoryPacket(const QByteArray& body)
{
    const bool entry = body == bytes({0x01, 0x7F, 0x7F, 0x10});
    const bool read = body.size() == 7 && body.startsWith(bytes({0x09, 0x7F, 0x7F, 0x01}));
    const bool write = body.size() == 9 && body.startsWith(bytes({0x01, 0x7F, 0x7F, 0x02}));
    const bool set = body.size() == 9 && body.startsWith(bytes({0x01, 0x7F, 0x7F, 0x03}));
    if (!entry && !read && !write && !set)
        return std::nullopt;
    if (!m_profile.has(FeatSettingMemory) || !allNibbles(body.mid(4)))
        return QList<QByteArray>{syntaxError()};
    if (!state.power)
        return QList<QByteArray>{notExecutable()};
    if (entry) {
        state.settingMode = true;
        return QList<QByteArray>{reply({0x41}), reply({0x51})};
    }
    if (!state.settingMode)
        return QList<QByteArray>{notExecutable()};
    const int address = nibbleValue(body, 4, 3);
    if (read) {
        const int v = state.settingWorking[address];
        return QList<QByteArray>{reply({0x50, v >> 4, v & 0x0F})};
    }
    const auto data = std::uint8_t(nibbleValue(body, 7, 2));
    if (write) {
        const bool released = state.settingMemory[0x001] == 0x01;
        if (address != 0x001 && !released)
            return QList<QByteArray>{notExecutable()};
        state.settingMemory[address] = data;
    }
    state.settingWorking[address] = data;
    return QList<QByteArray>{reply({0x41}), reply({0x51})};
}

QByteArray SimCamera::versionAnswer() const
{
    return reply({0x50, 0x00, m_model.vendorLow, 0x00, m_model.modelLow, state.romHigh, state.romLow, 0x02});
}

QByteArray SimCamera::statusBlock(int block) const
{
    if (block < 0 || block > 3)
        return {};
    QByteArray b(16, 0);
    b[0] = source();
    b[1] = char(0x50);
    b[15] = char(0xFF);
    const CameraState& s = state;
    switch (block) {
    case 0:   // lens
        putNibbles(b, 2, 4, s.zoom);
        putNibbles(b, 6, 2, s.focusNearLimit >> 8);
        putNibbles(b, 8, 4, s.focus);
        b[13] = char((s.focusAuto ? 0x01 : 0) | (s.digitalZoomOn ? 0x02 : 0) | (s.afSensitivityLow ? 0x04 : 0)
                     | ((s.afSubMode & 0x03) << 3) | (s.digitalZoomSeparate ? 0x20 : 0));
        // byte 14: no zoom or focus movement in progress
        break;
    case 1:   // camera
        putNibbles(b, 2, 2, s.rGain);
        putNibbles(b, 4, 2, s.bGain);
        b[6] = char(s.wbMode);
        b[7] = char(s.aperture);
        b[8] = char(s.aeMode);
        b[9] = char((s.slowShutter ? 0x01 : 0) | (s.expCompOn ? 0x02 : 0) | (s.backLight ? 0x04 : 0));
        b[10] = char(s.shutter);
        b[11] = char(s.iris);
        b[12] = char(s.gain);
        b[13] = char(s.bright);
        b[14] = char(s.expComp);
        break;
    case 2:   // other
        b[2] = char((s.power ? 0x01 : 0) | (s.keyLock ? 0x02 : 0) | (s.autoIcr ? 0x04 : 0));
        b[3] = char((s.lrReverse ? 0x04 : 0) | (s.freeze ? 0x08 : 0));
        b[4] = char((s.dataScreen ? 0x04 : 0) | (s.titleDisplay ? 0x08 : 0));
        b[5] = char(s.pictureEffect);
        b[6] = char(s.digitalEffect);
        b[7] = char(s.effectLevel);
        putNibbles(b, 8, 4, s.cameraId);
        b[12] = char(s.videoSystem & 0x01);
        break;
    case 3:   // expanded
        putNibbles(b, 2, 2, s.digitalZoom);
        b[10] = char((s.ceilingMount ? 0x01 : 0) | (s.alarmOn ? 0x02 : 0));
        b[11] = char(s.motionDetectionAvailable ? 0x02 : 0);
        break;
    }
    return b;
}

} // namespace peltro::sim
