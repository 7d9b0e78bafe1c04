#pragma once

// A 20 ms timer on the UI thread: the longest wait between its beats is the
// longest the window could not answer (repaint, take a click, send a stop).

#include <QElapsedTimer>
#include <QTimer>

namespace peltro::test {

// The longest the event loop may stand still in the liveness tests. An
// instrumented build (AddressSanitizer) runs several times slower, often
// beside other work on the same cores: its bound is wider, the design it
// checks (no wait blocks, long work in slices) the same.
#ifdef PELTRO_INSTRUMENTED
constexpr int kLongestStillMs = 300;
#else
constexpr int kLongestStillMs = 100;
#endif

struct Heartbeat {
    Heartbeat()
    {
        timer.setInterval(20);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
        timer.start();
        since.start();
    }
    void tick()
    {
        longest = qMax(longest, since.restart());
        ++beats;
    }
    // The longest gap so far, the one still open included.
    qint64 longestSoFar() const { return qMax(longest, since.elapsed()); }
    QTimer timer;
    QElapsedTimer since;
    qint64 longest = 0;
    int beats = 0;
};

} // namespace peltro::test
