// The window stays live whatever the cameras do: a 20 ms timer on the UI
// thread runs through each drill in real time, and its longest gap (a
// freeze) stays under 100 ms (wider in an instrumented build) while the
// panel waits for silent, refusing or late cameras.
#include "frm_power_off.h"
#include "heartbeat.h"
#include "live_rig.h"
#include "startup_windows.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <lo/lo.h>

using namespace peltro;
using peltro::test::LiveRig;

namespace {

// The longest gap between the beats of a 20 ms timer, over `ms` of real
// time of the event loop.
int longestGap(int ms, const std::function<bool()>& stillWaiting = {})
{
    test::Heartbeat beat;
    QElapsedTimer all;
    all.start();
    while (all.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // A drill that ended early would measure nothing of its waits.
    if (stillWaiting && !stillWaiting())
        return -1;
    return int(beat.longestSoFar());
}

constexpr int kMeasureMs = 1500;   // longer than one reply wait
constexpr int kFreeze = test::kLongestStillMs;

} // namespace

class TestHeartbeat : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // A status read of a silent camera waits seven seconds in all; Stop
    // answers at once meanwhile.
    void silentCameraRead()
    {
        LiveRig r;
        r.app->session.setAddress(1);
        r.chain.faults.silent.insert(1);
        QVERIFY(r.app->session.readStatus());
        const int gap = longestGap(kMeasureMs, [&] { return r.app->session.busy(); });
        QVERIFY2(gap >= 0 && gap < kFreeze, qPrintable(QStringLiteral("longest gap %1 ms").arg(gap)));
        r.app->main.autoRefreshed->click();
        QCOMPARE(r.app->main.autoRefreshed->text(), QStringLiteral("Auto"));
    }

    // Start-up against a camera that refuses every command.
    void startUpAgainstARefusingCamera()
    {
        LiveRig r;
        r.chain.faults.refusing.insert(1);
        r.app->startup.start();
        const int gap = longestGap(kMeasureMs + 1000, [&] { return r.app->startup.running(); });
        QVERIFY2(gap >= 0 && gap < kFreeze, qPrintable(QStringLiteral("longest gap %1 ms").arg(gap)));
    }

    // One answer 1.2 s late.
    void lateAnswer()
    {
        LiveRig r;
        r.app->session.setAddress(1);
        r.chain.faults.replyDelay = 1.2;
        r.chain.faults.lateCount = 1;
        QVERIFY(r.app->session.readStatus());
        const int gap = longestGap(kMeasureMs, [&] { return r.app->session.busy(); });
        QVERIFY2(gap >= 0 && gap < kFreeze, qPrintable(QStringLiteral("longest gap %1 ms").arg(gap)));
    }

    // The power-off window reads the camera's timer: against a silent one,
    // seven seconds, with the window on screen and live.
    void powerOffWindowAgainstASilentCamera()
    {
        LiveRig r;
        r.app->session.setAddress(1);
        r.chain.faults.silent.insert(1);
        r.app->main.action(QStringLiteral("AutoPowerOff"))->trigger();
        auto* dialog = r.app->main.findChild<FrmPowerOff*>(QStringLiteral("FrmAutoPOff"));
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!dialog->okButton->isEnabled());   // waiting for the camera's timer
        const int gap = longestGap(kMeasureMs, [&] { return r.app->session.busy(); });
        QVERIFY2(gap >= 0 && gap < kFreeze, qPrintable(QStringLiteral("longest gap %1 ms").arg(gap)));
        dialog->close();   // closing while it waits gives the read up
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!r.app->session.busy());
    }

    // A show-control system floods the panel: 10 000 pan-tilt messages over
    // OSC in one second, then a stop. The window stays live meanwhile, and
    // the last pan-tilt packet on the line is the stop.
    void remoteControlFlood()
    {
        LiveRig r;
        r.app->startup.start();
        QVERIFY(QTest::qWaitFor([&] { return !r.app->startup.running(); }, 20000));
        RemoteAccess access;
        access.on = true;
        access.port = 0;
        r.app->remote.configure(access);
        QVERIFY(r.app->remote.port() != 0);
        lo_address panel = lo_address_new("127.0.0.1", QByteArray::number(r.app->remote.port()).constData());

        test::Heartbeat beat;
        QElapsedTimer all;
        all.start();
        int sent = 0;
        while (sent < 10000) {
            // As a flood arrives: a share of the second's messages every few ms.
            const int due = std::min<int>(10000, int(all.elapsed() * 10) + 100);
            for (; sent < due; ++sent)
                lo_send(panel, "/peltro/cam/1/pantilt", "ff", float((sent % 21) - 10) / 10.0f, 0.5f);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        lo_send(panel, "/peltro/cam/1/stop", "");
        QTest::qWait(300);
        const qint64 longest = beat.longestSoFar();
        lo_address_free(panel);
        QVERIFY2(longest < kFreeze, qPrintable(QStringLiteral("longest gap %1 ms").arg(longest)));
        // The last pan-tilt packet on the line is the stop.
        QByteArray lastDrive;
        for (const QByteArray& w : r.port.writes)
            if (w.startsWith(QByteArray::fromHex("81010601")))
                lastDrive = w;
        QVERIFY2(lastDrive.size() == 9 && lastDrive.endsWith(QByteArray::fromHex("0303ff")),
                 lastDrive.toHex(' ').constData());
    }
};

QTEST_MAIN(TestHeartbeat)
#include "test_heartbeat.moc"
