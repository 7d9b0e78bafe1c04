#pragma once

#include "camera_operations.h"

#include <QStringList>
#include <array>

namespace peltro::test {

// The camera chain as a control surface sees it, recording every operation
// asked for as "Gamepad panTilt 1 -8 0" (the surface, the operation, its
// arguments); a lost link refuses with LinkLost, as the session does.
class RecordingOperations final : public CameraOperations {
public:
    RecordingOperations()
    {
        for (int a = 1; a <= 7; ++a) {
            CameraInfo& c = cameras[a];
            c.address = a;
            c.inChain = true;
            c.model = QStringLiteral("QUORIN-P3");
            c.panTilt = true;
            c.maxPanSpeed = 24;
            c.maxTiltSpeed = 20;
            c.firstPreset = 1;
        }
    }

    bool up = true;
    int count = 2;
    int selected = 1;
    std::array<CameraInfo, 8> cameras{};   // by address
    QStringList calls;
    QStringList notes;    // "Gamepad|Virtual pad|A: Preset 1"

    QStringList take()
    {
        QStringList out;
        out.swap(calls);
        return out;
    }
    void setLink(bool on)
    {
        up = on;
        Q_EMIT linkChanged(on);
    }

    bool linkUp() const override { return up; }
    int cameraCount() const override { return count; }
    int selectedCamera() const override { return selected; }
    CameraInfo camera(int address) const override
    {
        return address >= 1 && address <= 7 ? cameras[address] : CameraInfo{};
    }

    Outcome select(int address, Surface from) override
    {
        const Outcome o = record(from, QStringLiteral("select %1").arg(address), address);
        if (o == Outcome::Done && address != selected) {
            selected = address;
            Q_EMIT selectedChanged(address);
        }
        return o;
    }
    Outcome panTilt(int address, int pan, int tilt, Surface from) override
    {
        if (up && !camera(address).panTilt)
            return Outcome::NoPanTilt;
        return record(from, QStringLiteral("panTilt %1 %2 %3").arg(address).arg(pan).arg(tilt), address);
    }
    Outcome zoom(int address, int speed, Surface from) override
    {
        return record(from, QStringLiteral("zoom %1 %2").arg(address).arg(speed), address);
    }
    Outcome focus(int address, int speed, Surface from) override
    {
        return record(from, QStringLiteral("focus %1 %2").arg(address).arg(speed), address);
    }
    Outcome stop(int address, Surface from) override
    {
        return record(from, QStringLiteral("stop %1").arg(address), address);
    }
    Outcome home(int address, Surface from) override
    {
        return record(from, QStringLiteral("home %1").arg(address), address);
    }
    Outcome preset(int address, PresetOp op, int shownNumber, Surface from) override
    {
        const CameraInfo c = camera(address);
        if (up && (shownNumber < c.firstPreset || shownNumber >= c.firstPreset + c.presetCount))
            return Outcome::OutOfRange;
        const char* name = op == PresetOp::Set ? "set" : op == PresetOp::Recall ? "recall" : "reset";
        return record(from, QStringLiteral("preset %1 %2 %3").arg(address).arg(QLatin1String(name)).arg(shownNumber),
                      address);
    }
    Outcome setAutoFocus(int address, bool on, Surface from) override
    {
        return record(from, QStringLiteral("autoFocus %1 %2").arg(address).arg(on), address);
    }
    Outcome onePushFocus(int address, Surface from) override
    {
        return record(from, QStringLiteral("onePushFocus %1").arg(address), address);
    }
    Outcome setPower(int address, bool on, Surface from) override
    {
        return record(from, QStringLiteral("power %1 %2").arg(address).arg(on), address);
    }
    Outcome refreshOnce(Surface from) override { return record(from, QStringLiteral("refreshOnce"), selected); }
    void noteSurfaceEvent(Surface from, const QString& source, const QString& what) override
    {
        notes << surfaceName(from) + QLatin1Char('|') + source + QLatin1Char('|') + what;
    }

private:
    // A refused operation is recorded with its refusal, so that a test sees
    // that it was asked for.
    Outcome record(Surface from, const QString& what, int address)
    {
        QString line = surfaceName(from) + QLatin1Char(' ') + what;
        Outcome o = Outcome::Done;
        if (!up)
            o = Outcome::LinkLost;
        else if (address < 1 || address > count)
            o = Outcome::NotInChain;
        if (o == Outcome::LinkLost)
            line += QStringLiteral(" (link lost)");
        calls << line;
        return o;
    }
};

} // namespace peltro::test
