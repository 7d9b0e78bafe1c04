// The window stays live whatever the cameras do: a 20 ms timer on the UI
// thread runs through each drill in real time, and its longest gap (a
// freeze) stays under 100 ms (wider in an instrumented build) while the
// panel waits for silent, refusing or late cameras.
#include "frm_power_off.h"
#include "heartbeat.h"
#include "message_service.h"
#include "panel_app.h"
#include "sim_chain.h"
#include "sim_port.h"
#include "startup_windows.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace peltro;

namespace {

QList<ModelId> models(const QStringList& names)
{
    QList<ModelId> out;
    for (const QString& n : names)
        out << *findModel(n);
    return out;
}

// The panel on a simulated chain in real time.
struct LiveRig {
    explicit LiveRig(const QStringList& names = {QStringLiteral("quorin-p3")})
        : chain(models(names)), port(chain, clock), settings(dir.filePath(QStringLiteral("s.ini"))),
          app(std::make_unique<PanelApp>(port, clock, messages, settings))
    {
        port.open();
    }
    SteadyClock clock;
    sim::SimChain chain;
    sim::SimPort port;
    RecordingMessageService messages;
    QTemporaryDir dir;
    PanelSettings settings;
    std::unique_ptr<PanelApp> app;
};

// The longest gap between the beats of a 20 ms timer, over `ms` of real
// time of the event loop.
int longestGap(int ms, const std::function<bool()>& stillWaiting = {})
{
    QTimer beat;
    beat.setInterval(20);
    beat.setTimerType(Qt::PreciseTimer);
    QElapsedTimer since;
    qint64 longest = 0;
    QObject::connect(&beat, &QTimer::timeout, &beat, [&] {
        longest = std::max(longest, since.restart());
    });
    since.start();
    beat.start();
    QElapsedTimer all;
    all.start();
    while (all.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    longest = std::max(longest, since.elapsed());
    // A drill that ended early would measure nothing of its waits.
    if (stillWaiting && !stillWaiting())
        return -1;
    return int(longest);
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
};

QTEST_MAIN(TestHeartbeat)
#include "test_heartbeat.moc"
