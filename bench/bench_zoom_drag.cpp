// How many packets a full-range drag of the zoom slider puts on the line,
// next to what a 9600 bps line can carry, for drags of different speeds:
// the positions the operator gives (each a packet without the pacer)
// against the packets the pacer lets go, and whether the last packet
// carries the final position. Prints ratios; not a test.
#include "camera_session.h"
#include "clock.h"
#include "frm_main.h"
#include "message_service.h"
#include "sim_chain.h"
#include "sim_port.h"
#include "value_slider.h"

#include <QApplication>
#include <QTest>
#include <cstdio>

using namespace peltro;


namespace {

struct Drag {
    int moves = 0;          // positions the operator gave the thumb
    int packets = 0;        // packets on the line
    qsizetype bytes = 0;
    bool lastIsFinal = false;
};

// A full-range drag of the zoom slider made in `seconds`, with real mouse
// events, one per pixel of travel, as a mouse reports a steady drag; the
// camera's replies come back as the line carries them, in virtual time.
Drag drag(double seconds)
{
    auto chain = sim::SimChain::fromNames({QStringLiteral("quorin-p3")}, nullptr);
    ManualClock clock;
    sim::SimPort port(*chain, clock);
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
    QObject::connect(slider, &ValueSlider::userMoved, slider, [&d] { ++d.moves; });
    const auto turn = [&](double dt) {
        clock.advance(dt);
        port.deliverDue();
        QCoreApplication::processEvents();
    };
    port.writes.clear();
    port.written.clear();
    const double step = seconds / (to.x() - from.x());
    QTest::mousePress(slider, Qt::LeftButton, {}, from);
    for (int x = from.x() + 1; x <= to.x(); ++x) {
        turn(step);
        QTest::mouseMove(slider, QPoint(x, from.y()));
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, to);
    for (int i = 0; i < 300; ++i)   // what still waits goes out
        turn(0.01);
    d.packets = int(port.writes.size());
    d.bytes = port.written.size();
    const QByteArray last = port.writes.isEmpty() ? QByteArray() : port.writes.last();
    const int v = slider->value();
    d.lastIsFinal = last.size() == 9 && (quint8(last[4]) << 12 | quint8(last[5]) << 8 | quint8(last[6]) << 4 | quint8(last[7])) == v;
    return d;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double linePacketsPerSecond = 9600.0 / (10.0 * 9);
    std::printf("full-range zoom drag, one mouse event per pixel; a 9600 bps line carries %.1f zoom packets/s\n",
                linePacketsPerSecond);
    std::printf("%8s %8s %14s %14s %10s %12s\n", "drag (s)", "moves", "unpaced x line", "packets", "x line",
                "last = final");
    for (double seconds : {0.25, 0.5, 1.0, 2.0}) {
        const Drag d = drag(seconds);
        // Without the pacer every move is a packet, and the release sends the last again.
        const double unpaced = (d.moves + 1) / seconds / linePacketsPerSecond;
        const double paced = d.packets / seconds / linePacketsPerSecond;
        std::printf("%8.2f %8d %14.2f %14d %10.2f %12s\n", seconds, d.moves, unpaced, d.packets, paced,
                    d.lastIsFinal ? "yes" : "no");
    }
    return 0;
}
