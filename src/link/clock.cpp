#include "clock.h"

#include <QThread>

namespace peltro {

void SteadyClock::sleep(double seconds)
{
    if (seconds > 0)
        QThread::usleep(static_cast<unsigned long>(seconds * 1e6));
}

} // namespace peltro
