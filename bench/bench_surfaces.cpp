// The control surfaces on the camera session, on the simulated chain:
//  1. remote control: time from an OSC datagram's arrival to the first byte
//     of its packet on an idle line (real UDP and the real clock), next to
//     the goal of 2 ms;
//  2. a flood of 10 000 pan-tilt messages in one second against the chain
//     paced at 9600 bps (virtual time): bytes sent against what the line
//     carries, the last speed and the final stop;
//  3. gamepad sweeps of the left stick, slow and a flick, polled at 100 Hz,
//     on the same line: packets against the line, how far the camera lags the stick in
//     packet times, and the final stop.
// Prints ratios; not a test.
#include "camera_session.h"
#include "clock.h"
#include "gamepad_control.h"
#include "remote_control.h"
#include "remote_dispatcher.h"
#include "sim_chain.h"
#include "sim_port.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <lo/lo.h>
#include <memory>

using namespace peltro;

namespace {

struct Chain {
    explicit Chain(Clock& clock, bool paced) : chain(*sim::SimChain::fromNames({QStringLiteral("quorin-p3")}, nullptr)),
                                                port(chain, clock)
    {
        port.pace = paced;
        port.open();
    }
    sim::SimChain chain;
    sim::SimPort port;
};

struct Jobs : JobOwner {};

Job startUpJob(Jobs&, CameraSession& session, bool& done)
{
    session.beginStartup();
    co_await session.interfaceClearAnswered();
    co_await session.assignAddresses([] {});
    co_await session.checkVersion([] {});
    session.endStartup();
    done = true;
}

// Counts the chain and identifies camera 1 without a window.
template <typename Step> bool startUp(CameraSession& session, Step step)
{
    bool done = false;
    Jobs jobs;
    startUpJob(jobs, session, done);
    for (int i = 0; i < 100000 && !done; ++i)
        step();
    return done;
}

// Virtual time in steps of 1 ms, the chain's bytes arriving as they are due.
struct VirtualRun {
    ManualClock& clock;
    sim::SimPort& port;
    void step(double seconds = 0.001)
    {
        clock.advance(seconds);
        port.deliverDue();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
};

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0.0 : v.at(v.size() / 2);
}

void remoteLatency()
{
    SteadyClock clock;
    Chain c(clock, false);
    CameraSession session(c.port, clock);
    if (!startUp(session, [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); }))
        return void(std::printf("remote latency: start-up failed\n"));
    RemoteControl remote(session, clock);
    RemoteAccess access;
    access.on = true;
    access.port = 0;
    remote.configure(access);
    lo_address target = lo_address_new("127.0.0.1", QByteArray::number(remote.port()).constData());

    QElapsedTimer timer;
    qint64 firstByte = -1;
    QObject::connect(&session.link(), &Link::wrote, [&](const QByteArray&) {
        if (firstByte < 0)
            firstByte = timer.nsecsElapsed();
    });
    QList<double> viaOsc, direct;
    for (int i = 0; i < 400; ++i) {
        const float speed = (i % 2 ? 0.5f : -0.5f);
        // Through UDP, liblo and the dispatcher.
        firstByte = -1;
        timer.start();
        lo_send(target, "/peltro/cam/1/zoom", "f", speed);
        while (firstByte < 0 && timer.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
        viaOsc << firstByte / 1e6;
        // Let the acknowledge come, so that the next one finds an idle line.
        for (QElapsedTimer idle; idle.isValid() ? idle.elapsed() < 3 : (idle.start(), true);)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        // The same operation called directly.
        firstByte = -1;
        timer.start();
        session.zoom(1, speed > 0 ? -4 : 4, Surface::Panel);
        direct << (firstByte < 0 ? timer.nsecsElapsed() : firstByte) / 1e6;
        for (QElapsedTimer idle; idle.isValid() ? idle.elapsed() < 3 : (idle.start(), true);)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    remote.dispatcher().stopMoved(QStringLiteral("bench over"));
    lo_address_free(target);
    const double osc = median(viaOsc);
    std::printf("remote control, message sent to first byte on an idle line (median of %lld):\n",
                static_cast<long long>(viaOsc.size()));
    std::printf("  over OSC %.3f ms, the operation called directly %.3f ms; %.2f of the 2 ms goal\n", osc,
                median(direct), osc / 2.0);
}

void remoteFlood()
{
    ManualClock clock;
    Chain c(clock, true);
    CameraSession session(c.port, clock);
    VirtualRun run{clock, c.port};
    if (!startUp(session, [&] { run.step(); }))
        return void(std::printf("flood: start-up failed\n"));
    RemoteDispatcher dispatcher(session, clock);
    dispatcher.setHoldMs(500);
    c.port.writes.clear();
    c.port.written.clear();
    // 10 000 messages in one second: ten each millisecond, speeds sweeping.
    double lastPan = 0;
    for (int ms = 0; ms < 1000; ++ms) {
        for (int k = 0; k < 10; ++k) {
            const int i = ms * 10 + k;
            lastPan = -1.0 + 2.0 * ((i * 7919) % 10000) / 9999.0;
            OscMessage m{QStringLiteral("/peltro/cam/1/pantilt"), {OscArg::real(lastPan), OscArg::real(0.5)}, {}};
            dispatcher.dispatch(m);
        }
        run.step();
    }
    const qsizetype floodBytes = c.port.written.size();
    // What still waited goes once the line has carried the one before.
    for (int ms = 0; ms < 50; ++ms)
        run.step();
    const QByteArray lastDrive = c.port.writes.isEmpty() ? QByteArray() : c.port.writes.constLast();
    OscMessage stop{QStringLiteral("/peltro/cam/1/stop"), {}, {}};
    dispatcher.dispatch(stop);
    for (int ms = 0; ms < 500; ++ms)
        run.step();
    const double capacity = 9600.0 / 10.0;   // bytes a second
    const int pan = std::clamp(int(std::lround(std::fabs(lastPan) * 0x18)), 1, 0x18);
    const int tilt = int(std::lround(0.5 * 0x17));
    const bool lastSpeedOut = lastDrive.size() == 9 && quint8(lastDrive.at(4)) == pan && quint8(lastDrive.at(5)) == tilt;
    const QByteArray ptStop = QByteArray::fromHex("8101060118180303FF");
    std::printf("flood of 10000 pan-tilt messages in 1 s, 9600 bps line:\n");
    std::printf("  %lld packets, %lld bytes in the second: %.2f of what the line carries; last speed sent: %s; "
                "final stop sent: %s\n",
                static_cast<long long>(c.port.writes.size()), static_cast<long long>(floodBytes),
                floodBytes / capacity, lastSpeedOut ? "yes" : "no", c.port.writes.contains(ptStop) ? "yes" : "no");
}

void gamepadSweep(int polls)
{
    ManualClock clock;
    Chain c(clock, true);
    CameraSession session(c.port, clock);
    VirtualRun run{clock, c.port};
    if (!startUp(session, [&] { run.step(); }))
        return void(std::printf("sweep: start-up failed\n"));
    GamepadControl pad(session);
    pad.attach(QStringLiteral("bench"));
    c.port.writes.clear();
    c.port.written.clear();
    QList<double> writeTimes;
    QObject::connect(&session.link(), &Link::wrote, [&](const QByteArray&) { writeTimes << clock.now(); });

    // The stick from full left to full right in two seconds, polled every
    // 10 ms; each change of the speed step the camera would get is a wish,
    // and its lag is the time until the next packet leaves (the pacer sends
    // the latest wish).
    struct Wish {
        double at;
        qsizetype writesBefore;
    };
    QList<Wish> wishes;
    const int axis = 0;   // left stick x: pan
    int lastStep = 0;
    const double start = clock.now();
    for (int poll = 0; poll <= polls; ++poll) {
        const qsizetype before = writeTimes.size();
        pad.axisMoved(axis, -1.0 + 2.0 * poll / polls);
        if (pad.panStep() != lastStep) {
            lastStep = pad.panStep();
            wishes << Wish{clock.now(), before};
        }
        for (int ms = 0; ms < 10; ++ms)
            run.step();
    }
    const double sweep = clock.now() - start;
    const qsizetype sweepBytes = c.port.written.size();
    const double packetTime = 9 * 10.0 / 9600.0;
    double worst = 0, total = 0;
    int measured = 0;
    for (const Wish& w : std::as_const(wishes)) {
        if (w.writesBefore >= writeTimes.size())
            continue;
        const double lag = writeTimes.at(w.writesBefore) - w.at;
        worst = std::max(worst, lag);
        total += lag;
        ++measured;
    }
    const qsizetype beforeRelease = writeTimes.size();
    const double released = clock.now();
    pad.axisMoved(axis, 0.0);
    for (int ms = 0; ms < 300; ++ms)
        run.step();
    const double stopAt = writeTimes.size() > beforeRelease ? writeTimes.at(beforeRelease) : -1;
    const QByteArray ptStop = QByteArray::fromHex("8101060118180303FF");
    std::printf("gamepad sweep, full left to full right in %.1f s at 100 polls a second, 9600 bps line:\n", sweep);
    std::printf("  %lld speed changes, %lld packets, %.2f of what the line carries; the camera lags the stick by "
                "%.2f packet times on average, %.2f at worst (goal at most 2); stop %.2f packet times after the "
                "release; last packet the stop: %s\n",
                static_cast<long long>(wishes.size()), static_cast<long long>(c.port.writes.size()),
                sweepBytes / (sweep * 960.0), measured ? total / measured / packetTime : 0.0, worst / packetTime,
                stopAt < 0 ? -1.0 : (stopAt - released) / packetTime,
                !c.port.writes.isEmpty() && c.port.writes.constLast() == ptStop ? "yes" : "no");
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    remoteLatency();
    remoteFlood();
    gamepadSweep(200);   // two seconds
    gamepadSweep(25);    // a flick: a quarter of a second
    return 0;
}
