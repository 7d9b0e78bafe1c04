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

} // namespace peltro
