#pragma once

#include "camera_operations.h"

#include <QHash>
#include <QStringList>
#include <array>

namespace peltro::test {

// A camera chain as a control surface sees it, recording every operation
// asked of it ("panTilt 1 12 -10", "note 127.0.0.1:5000 /peltro/cam/1/stop")
// and answering Done unless told otherwise per operation.
class FakeCameraOperations final : public CameraOperations {
    Q_OBJECT
public:
    // Camera 1, a QUORIN-P3 (pan 1..24, tilt 1..20, presets 1..6), link up.
    FakeCameraOperations();

    // Puts a camera in the chain with the maxima of its family: a QUORIN
    // head (pan 24, tilt 20, presets from 1) or a TAMIRO block (presets from 0).
    void addCamera(int address, const QString& model, bool panTilt);
    void removeCamera(int address);
    // Changes the link and tells it, as the session does.
    void setLink(bool up);
    CameraInfo& info(int address) { return m_cameras[size_t(address)]; }

    QStringList takeCalls();
    // Calls that are operations (the notes left out).
    QStringList operations() const;

    QStringList calls;
    QHash<QString, Outcome> outcomes;   // by operation name ("zoom", "preset" ...)
    int selected = 1;

    bool linkUp() const override { return m_up; }
    int cameraCount() const override;
    int selectedCamera() const override { return selected; }
    CameraInfo camera(int address) const override;

    Outcome select(int address, Surface from) override;
    Outcome panTilt(int address, int pan, int tilt, Surface from) override;
    Outcome zoom(int address, int speed, Surface from) override;
    Outcome focus(int address, int speed, Surface from) override;
    Outcome stop(int address, Surface from) override;
    Outcome home(int address, Surface from) override;
    Outcome preset(int address, PresetOp op, int shownNumber, Surface from) override;
    Outcome setAutoFocus(int address, bool on, Surface from) override;
    Outcome onePushFocus(int address, Surface from) override;
    Outcome setPower(int address, bool on, Surface from) override;
    Outcome refreshOnce(Surface from) override;
    void noteSurfaceEvent(Surface from, const QString& source, const QString& what) override;

private:
    Outcome record(const char* name, const QString& call, Surface from);

    bool m_up = true;
    std::array<CameraInfo, 8> m_cameras;   // by address 1..7
};

} // namespace peltro::test
