#include "fake_camera_operations.h"

namespace peltro::test {

FakeCameraOperations::FakeCameraOperations()
{
    for (int a = 0; a < 8; ++a)
        m_cameras[size_t(a)].address = a;
    addCamera(1, QStringLiteral("QUORIN-P3"), true);
}

void FakeCameraOperations::addCamera(int address, const QString& model, bool panTilt)
{
    CameraInfo& c = m_cameras[size_t(address)];
    c = CameraInfo{};
    c.address = address;
    c.inChain = true;
    c.model = model;
    c.panTilt = panTilt;
    c.maxPanSpeed = panTilt ? 24 : 0;
    c.maxTiltSpeed = panTilt ? 20 : 0;
    c.firstPreset = panTilt ? 1 : 0;
}

void FakeCameraOperations::removeCamera(int address)
{
    m_cameras[size_t(address)] = CameraInfo{};
    m_cameras[size_t(address)].address = address;
}

void FakeCameraOperations::setLink(bool up)
{
    m_up = up;
    Q_EMIT linkChanged(up);
}

QStringList FakeCameraOperations::takeCalls()
{
    return std::exchange(calls, {});
}

QStringList FakeCameraOperations::operations() const
{
    QStringList out;
    for (const QString& c : calls) {
        if (!c.startsWith(QLatin1String("note ")))
            out << c;
    }
    return out;
}

int FakeCameraOperations::cameraCount() const
{
    int n = 0;
    for (const CameraInfo& c : m_cameras)
        n += c.inChain ? 1 : 0;
    return n;
}

CameraOperations::CameraInfo FakeCameraOperations::camera(int address) const
{
    if (address < 1 || address > 7)
        return {};
    return m_cameras[size_t(address)];
}

CameraOperations::Outcome FakeCameraOperations::record(const char* name, const QString& call, Surface from)
{
    calls << (from == Surface::Remote ? call : call + QStringLiteral(" from ") + surfaceName(from));
    return outcomes.value(QLatin1String(name), Outcome::Done);
}

CameraOperations::Outcome FakeCameraOperations::select(int address, Surface from)
{
    return record("select", QStringLiteral("select %1").arg(address), from);
}

CameraOperations::Outcome FakeCameraOperations::panTilt(int address, int pan, int tilt, Surface from)
{
    return record("panTilt", QStringLiteral("panTilt %1 %2 %3").arg(address).arg(pan).arg(tilt), from);
}

CameraOperations::Outcome FakeCameraOperations::zoom(int address, int speed, Surface from)
{
    return record("zoom", QStringLiteral("zoom %1 %2").arg(address).arg(speed), from);
}

CameraOperations::Outcome FakeCameraOperations::focus(int address, int speed, Surface from)
{
    return record("focus", QStringLiteral("focus %1 %2").arg(address).arg(speed), from);
}

CameraOperations::Outcome FakeCameraOperations::stop(int address, Surface from)
{
    return record("stop", QStringLiteral("stop %1").arg(address), from);
}

CameraOperations::Outcome FakeCameraOperations::home(int address, Surface from)
{
    return record("home", QStringLiteral("home %1").arg(address), from);
}

CameraOperations::Outcome FakeCameraOperations::preset(int address, PresetOp op, int shownNumber, Surface from)
{
    const char* what = op == PresetOp::Set ? "set" : op == PresetOp::Recall ? "recall" : "reset";
    return record("preset", QStringLiteral("preset %1 %2 %3").arg(address).arg(QLatin1String(what)).arg(shownNumber),
                  from);
}

CameraOperations::Outcome FakeCameraOperations::setAutoFocus(int address, bool on, Surface from)
{
    return record("setAutoFocus",
                  QStringLiteral("autoFocus %1 %2").arg(address).arg(on ? QStringLiteral("on") : QStringLiteral("off")),
                  from);
}

CameraOperations::Outcome FakeCameraOperations::onePushFocus(int address, Surface from)
{
    return record("onePushFocus", QStringLiteral("onePush %1").arg(address), from);
}

CameraOperations::Outcome FakeCameraOperations::setPower(int address, bool on, Surface from)
{
    return record("setPower",
                  QStringLiteral("power %1 %2").arg(address).arg(on ? QStringLiteral("on") : QStringLiteral("off")),
                  from);
}

CameraOperations::Outcome FakeCameraOperations::refreshOnce(Surface from)
{
    return record("refreshOnce", QStringLiteral("refresh"), from);
}

void FakeCameraOperations::noteSurfaceEvent(Surface from, const QString& source, const QString& what)
{
    calls << QStringLiteral("note %1 %2%3")
                 .arg(source, what, from == Surface::Remote ? QString() : QStringLiteral(" from ") + surfaceName(from));
}

} // namespace peltro::test
