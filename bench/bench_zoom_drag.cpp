// How many packets a full-range drag of the zoom slider puts on the line,
// next to what a 9600 bps line can carry, for drags of different speeds:
// the positions the operator gives (each a packet without the pacer)
// against the packets the pacer lets go, how long after the hand gave a
// position the line took it up (in packet times), and whether the last
// packet carries the final position. Prints ratios; not a test.
#include "camera_session.h"
#include "clock.h"
#include "frm_main.h"
#include "link.h"
#include "message_service.h"
#include "sim_chain.h"
#include "sim_port.h"
#include "value_slider.h"

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <cstdio>

using namespace peltro;


namespace {

struct Drag {
    int moves = 0;          // positions the operator gave the thumb
    int packets = 0;        // packets on the line
    qsizetype bytes = 0;
    bool lastIsFinal = false;
    double meanLag = 0.0;   // seconds from the hand's position to its packet on the line
    double maxLag = 0.0;
    double finalLag = 0.0;  // from the release to the final position's packet
};

// The position a zoom position packet carries, -1 for any other packet.
int positionOf(const QByteArray& packet)
{
    if (packet.size() != 9)
        return -1;
    return quint8(packet[4]) << 12 | quint8(packet[5]) << 8 | quint8(packet[6]) << 4 | quint8(packet[7]);
}

// A full-range drag of the zoom slider made in `seconds`, with real mouse
// events, one per pixel of travel, as a mouse reports a steady drag; the
// camera's replies come back as the line carries them, in virtual time.
Drag drag(double seconds)
{
    auto chain = sim::SimChain::fromNames({QStringLiteral("quorin-p3")}, nullptr);
    ManualClock clock;
    sim::SimPort port(*chain, clock);
    port.pace = true;   // bytes take ten bit times each, both ways
    port.open();
    RecordingMessageService messages;
    CameraSession session(port, clock);
    FrmMain main(session, messages);
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        qFatal("window not shown");
    auto* slider = main.control<ValueSlider>(QStringLiteral("ZoomSliderShort"));
    const QPoint from = slider->thumbCentre(slider->minimum());
    const QPoint to = slider->thumbCentre(slider->maximum());
    Drag d;
    // Each position the hand gives is a wish; its lag is the time until the
    // next packet leaves (the pacer sends the latest wish).
    struct Wish {
        double at;
        qsizetype writesBefore;
    };
    QList<Wish> wishes;
    QList<double> writeTimes;
    QObject::connect(&session.link(), &Link::wrote, [&](const QByteArray&) { writeTimes << clock.now(); });
    QObject::connect(slider, &ValueSlider::userMoved, slider, [&] {
        ++d.moves;
        // userMoved comes before the packet it causes is written
        wishes << Wish{clock.now(), writeTimes.size()};
    });
    // Time goes on in steps of a tenth of a millisecond, each ending with
    // the bytes that have arrived and the events they cause.
    constexpr double kTick = 0.0001;
    const auto runUntil = [&](double until) {
        while (clock.now() + kTick / 2 < until) {
            clock.advance(kTick);
            port.deliverDue();
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
        }
    };
    port.writes.clear();
    port.written.clear();
    const double start = clock.now();
    const double step = seconds / (to.x() - from.x());
    QTest::mousePress(slider, Qt::LeftButton, {}, from);
    for (int x = from.x() + 1; x <= to.x(); ++x) {
        runUntil(start + (x - from.x()) * step);
        QTest::mouseMove(slider, QPoint(x, from.y()));
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, to);
    const double releasedAt = clock.now();
    runUntil(releasedAt + 0.5);   // what still waits goes out
    double lagSum = 0.0;
    int lagged = 0;
    for (const Wish& w : std::as_const(wishes)) {
        if (w.writesBefore >= writeTimes.size())
            continue;
        const double lag = writeTimes.at(w.writesBefore) - w.at;
        d.maxLag = std::max(d.maxLag, lag);
        lagSum += lag;
        ++lagged;
    }
    d.meanLag = lagged ? lagSum / lagged : 0.0;
    d.packets = int(port.writes.size());
    d.bytes = port.written.size();
    const QByteArray last = port.writes.isEmpty() ? QByteArray() : port.writes.last();
    d.lastIsFinal = positionOf(last) == slider->value();
    d.finalLag = writeTimes.isEmpty() ? 0.0 : std::max(0.0, writeTimes.last() - releasedAt);
    return d;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double linePacketsPerSecond = 9600.0 / (10.0 * 9);
    const double packetTime = 1.0 / linePacketsPerSecond;
    std::printf("full-range zoom drag, one mouse event per pixel; a 9600 bps line carries %.1f zoom packets/s\n",
                linePacketsPerSecond);
    std::printf("lag: from the hand giving a position to its packet on the line, in packet times (goal: at most 2)\n");
    std::printf("%8s %6s | %9s %11s | %7s %7s %9s %9s %13s %6s\n", "drag (s)", "moves", "unpaced", "unpaced lag",
                "packets", "x line", "mean lag", "max lag", "final after", "last =");
    std::printf("%8s %6s | %9s %11s | %7s %7s %9s %9s %13s %6s\n", "", "", "x line", "at release", "", "", "", "",
                "release", "final");
    for (double seconds : {0.25, 0.5, 1.0, 2.0}) {
        const Drag d = drag(seconds);
        // Without the pacer every move is a packet, and the release sends the
        // last again; the line works them off one after another.
        const double unpaced = (d.moves + 1) / seconds / linePacketsPerSecond;
        const double unpacedLag = std::max(0.0, (d.moves + 1) * packetTime - seconds) / packetTime;
        const double paced = d.packets / seconds / linePacketsPerSecond;
        std::printf("%8.2f %6d | %9.2f %11.1f | %7d %7.2f %9.2f %9.2f %13.2f %6s\n", seconds, d.moves, unpaced,
                    unpacedLag, d.packets, paced, d.meanLag / packetTime, d.maxLag / packetTime,
                    d.finalLag / packetTime, d.lastIsFinal ? "yes" : "no");
    }
    return 0;
}
