// Measures, side by side in one run, what a serial device server costs: the
// whole status read of a QUORIN-P3 from peltro-sim, first on its
// pseudo-terminal, then through Debian's ser2net on 127.0.0.1 in front of
// that terminal (tcp://). Prints the mean wall time of a read each way and
// their ratio; not a test. peltro-sim answers at once (no --pace), so what
// is measured is the panel's side and the transport, not line time.
#include "e2e_panel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace e2e;

namespace {

constexpr int kReads = 20;

// Mean milliseconds of a status read, after start-up on device; -1 if the
// panel could not start there or a read failed.
double meanRead(Sim& sim, const QTemporaryDir& dir, const QString& device, const char* name)
{
    LivePanel panel({device}, dir.filePath(QStringLiteral("%1.ini").arg(QLatin1String(name))));
    if (!panel.start())
        return -1;
    double total = 0;
    for (int i = 0; i < kReads; ++i) {
        QElapsedTimer t;
        t.start();
        if (!panel.app.session.readStatus())
            return -1;
        total += t.nsecsElapsed() / 1e6;
        sim.take();   // keep the simulator's log pipe from filling
        QCoreApplication::processEvents();
    }
    return total / kReads;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString cam = dir.filePath(QStringLiteral("cam"));
    Sim sim;
    if (!sim.start({QStringLiteral("--chain"), QStringLiteral("quorin-p3"), QStringLiteral("--link"), cam})) {
        std::fprintf(stderr, "peltro-sim did not start\n");
        return 1;
    }
    const double pty = meanRead(sim, dir, cam, "pty");

    Ser2net server;
    const quint16 port = freePort();
    if (!server.start(dir, cam, port)) {
        std::fprintf(stderr, "ser2net did not start (%s)\n", PELTRO_SER2NET);
        return 1;
    }
    const double tcp = meanRead(sim, dir, QStringLiteral("tcp://127.0.0.1:%1").arg(port), "tcp");
    if (pty < 0 || tcp < 0) {
        std::fprintf(stderr, "a read failed (pty %.1f, tcp %.1f)\n", pty, tcp);
        return 1;
    }
    std::printf("status read, mean of %d: pseudo-terminal %.2f ms, ser2net over TCP %.2f ms, ratio %.2f\n", kReads,
                pty, tcp, tcp / pty);
    return 0;
}
