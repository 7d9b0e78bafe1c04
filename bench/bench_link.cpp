// Measures, side by side in one run, what the link costs:
//  1. CPU use of a reply wait that runs out (nothing answers) against a wait
//     that polls the input count in a loop, over a real pseudo-terminal;
//  2. a full status read against a simulated chain paced at 9600 bps, its wall
//     and CPU time next to the line time of the bytes exchanged.
// Prints ratios; not a test.
#include "app_assembly.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <cstdio>
#include <ctime>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace peltro;

namespace {

double threadCpu()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

QString rawPty(int* master)
{
    int slave = -1;
    char name[256] = {};
    if (openpty(master, &slave, name, nullptr, nullptr) != 0)
        return {};
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    return QString::fromLocal8Bit(name);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // 1. A wait that runs out: blocking on the port against polling it.
    {
        int master = -1;
        const QString device = rawPty(&master);
        if (device.isEmpty()) {
            std::fprintf(stderr, "no pseudo-terminal\n");
            return 1;
        }
        Assembly a({device});
        a.port().open();
        a.link().SD(Packet{0x81, 0x09, 0x00, 0x02, 0xFF}, SendMode::Silent);
        QElapsedTimer wall;
        wall.start();
        double cpu0 = threadCpu();
        {
            QEventLoop loop;
            a.link().awaitReply(10, [&](const QByteArray&) { loop.quit(); });
            if (a.link().replyAwaited())
                loop.exec();
        }
        const double blockWall = wall.nsecsElapsed() / 1e9, blockCpu = threadCpu() - cpu0;

        wall.restart();
        cpu0 = threadCpu();
        while (wall.elapsed() < 1000 && a.port().inBufferCount() < 10) {
        }
        const double spinWall = wall.nsecsElapsed() / 1e9, spinCpu = threadCpu() - cpu0;
        std::printf("reply wait, nothing answers (1 s):\n");
        std::printf("  the event loop:       wall %.3f s, cpu %.4f s, cpu/wall %.4f\n", blockWall, blockCpu,
                    blockCpu / blockWall);
        std::printf("  polling in a loop:    wall %.3f s, cpu %.4f s, cpu/wall %.4f\n", spinWall, spinCpu,
                    spinCpu / spinWall);
        std::printf("  blocking uses %.4f of the CPU time of polling\n", blockCpu / spinCpu);
        ::close(master);
    }

    // 2. A full status read at 9600 bps.
    for (const char* model : {"quorin-p3", "tamiro-j1a"}) {
        SimServerThread server(QStringList{QString::fromLatin1(model)}, 9600);
        Assembly a({server.devicePath()});
        a.port().setSettings(QStringLiteral("9600,n,8,1"));
        a.port().open();
        a.port().setSThreshold(1);
        a.prepare();
        a.session().readStatus();  // identifies the model; not measured
        a.port().read();
        const qint64 before = server.bytesExchanged();
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = threadCpu();
        a.session().readStatus();
        const double readWall = wall.nsecsElapsed() / 1e9, readCpu = threadCpu() - cpu0;
        const qint64 bytes = server.bytesExchanged() - before;
        const double line = bytes * 10.0 / 9600.0;
        std::printf("full status read, %s, paced at 9600 bps:\n", model);
        std::printf("  %lld bytes exchanged, line time %.3f s\n", static_cast<long long>(bytes), line);
        std::printf("  wall %.3f s (%.2f x line time), cpu %.4f s (%.4f of wall)\n", readWall, readWall / line,
                    readCpu, readCpu / readWall);
    }
    return 0;
}
