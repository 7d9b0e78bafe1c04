// Measures, per fault drill in one run, the longest the window stands still:
// the panel on a simulated chain in real time, a 20 ms timer on the UI thread
// beating through the drill. Each drill's exchange is timed from its start to
// its end: a design whose waits block the event loop (as the panel's were)
// stands still for all of it, so that time is the "before" column; the
// longest gap between two beats is the "after". Prints the ratio; not a test.
// The memory of a week of auto refresh is bench_traffic's.
#include "frm_main.h"
#include "heartbeat.h"
#include "live_rig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QStandardPaths>
#include <cstdio>
#include <functional>

using namespace peltro;
using peltro::test::LiveRig;

namespace {

struct Stall {
    qint64 exchangeMs = 0;   // the drill's exchange, start to end
    qint64 longestGapMs = 0; // between two beats of the 20 ms timer
};

// Starts the drill, then turns the event loop until running() is false.
Stall measure(const std::function<void()>& start, const std::function<bool()>& running)
{
    test::Heartbeat beat;
    QElapsedTimer all;
    all.start();
    start();
    while (running() && all.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return {all.elapsed(), beat.longestSoFar()};
}

void report(const char* drill, const Stall& s)
{
    std::printf("%-44s %8lld %8lld %9.0fx\n", drill, static_cast<long long>(s.exchangeMs),
                static_cast<long long>(s.longestGapMs), double(s.exchangeMs) / double(qMax<qint64>(1, s.longestGapMs)));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    std::printf("%-44s %8s %8s %10s\n", "drill (longest stall, ms)", "before", "after", "ratio");

    {
        LiveRig r;
        r.chain.faults.silent.insert(1);
        CameraSession& s = r.app->session;
        report("status read, silent camera", measure([&] { s.readStatus(); }, [&] { return s.busy(); }));
    }
    {
        LiveRig r;
        r.chain.faults.refusing.insert(1);
        CameraSession& s = r.app->session;
        report("status read, camera answering errors", measure([&] { s.readStatus(); }, [&] { return s.busy(); }));
    }
    {
        LiveRig r;
        r.chain.faults.replyDelay = 1.2;
        r.chain.faults.lateCount = 1;
        CameraSession& s = r.app->session;
        report("status read, one answer 1.2 s late", measure([&] { s.readStatus(); }, [&] { return s.busy(); }));
    }
    {
        LiveRig r;
        r.chain.faults.silent.insert(1);
        CameraSession& s = r.app->session;
        report("Auto Power Off window, silent camera",
               measure([&] { r.app->main.action(QStringLiteral("AutoPowerOff"))->trigger(); },
                       [&] { return s.busy(); }));
    }
    {
        LiveRig r;
        r.chain.faults.refusing.insert(1);
        Startup& startup = r.app->startup;
        report("start-up, camera answering errors",
               measure([&] { startup.start(); }, [&] { return startup.running(); }));
    }
    return 0;
}
