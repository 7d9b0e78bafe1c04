#include "camera_operations.h"

namespace peltro {

QString surfaceName(Surface surface)
{
    switch (surface) {
    case Surface::Panel: return QStringLiteral("Panel");
    case Surface::Remote: return QStringLiteral("Remote control");
    case Surface::Gamepad: return QStringLiteral("Gamepad");
    case Surface::Keyboard: return QStringLiteral("Keyboard");
    }
    return {};
}

QString CameraOperations::refusalReason(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Done: return {};
    case Outcome::LinkLost: return QStringLiteral("the link to the cameras is lost");
    case Outcome::NotInChain: return QStringLiteral("the camera is not in the chain");
    case Outcome::NoPanTilt: return QStringLiteral("the camera has no pan/tilt head");
    case Outcome::OutOfRange: return QStringLiteral("the camera does not have it");
    case Outcome::Busy: return QStringLiteral("the camera is busy");
    }
    return {};
}

} // namespace peltro
