// How many packets a full-range drag of the zoom slider puts on the line,
// next to what a 9600 bps line can carry. The drag is made with real mouse
// events, one per pixel of travel, as a mouse reports a steady drag.
// Prints ratios; not a test.
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


int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto chain = sim::SimChain::fromNames({QStringLiteral("quorin-p3")}, nullptr);
    ManualClock clock;
    sim::SimPort port(*chain, clock);
    port.open();
    RecordingMessageService messages;
    CameraSession session(port, clock);
    FrmMain main(session, messages);
    main.show();
    if (!QTest::qWaitForWindowExposed(&main)) {
        std::fprintf(stderr, "window not shown\n");
        return 1;
    }

    auto* slider = main.control<ValueSlider>(QStringLiteral("ZoomSliderShort"));
    const QPoint from = slider->thumbCentre(slider->minimum());
    const QPoint to = slider->thumbCentre(slider->maximum());
    port.writes.clear();
    QTest::mousePress(slider, Qt::LeftButton, {}, from);
    for (int x = from.x() + 1; x <= to.x(); ++x)
        QTest::mouseMove(slider, QPoint(x, from.y()));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, to);

    const int packets = port.writes.size();
    const qsizetype bytes = port.written.size();
    const double lineSeconds = bytes * 10.0 / 9600.0;
    const double linePacketsPerSecond = 9600.0 / (10.0 * 9);
    std::printf("full-range zoom drag over %d pixels (0..0x%X):\n", to.x() - from.x(), slider->maximum());
    std::printf("  %d packets, %lld bytes; a 9600 bps line needs %.2f s to carry them\n", packets,
                static_cast<long long>(bytes), lineSeconds);
    std::printf("  the line carries %.1f zoom packets/s\n", linePacketsPerSecond);
    for (double drag : {0.25, 0.5, 1.0, 2.0})
        std::printf("  a drag made in %.2f s sends %.1f packets/s: %.2f x what the line carries\n", drag,
                    packets / drag, packets / drag / linePacketsPerSecond);
    std::printf("  last packet: %s\n", qPrintable(hexBytes(port.writes.last()).trimmed()));
    return 0;
}
