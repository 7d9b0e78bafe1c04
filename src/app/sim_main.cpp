// peltro-sim: a simulated camera chain served on a pseudo-terminal.
#include "sim_chain.h"
#include "sim_pty.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <memory>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace peltro;

namespace {
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] auto n = ::write(g_signalPipe[1], &c, 1);
}

// One line of --control: changes a fault while the chain runs. Answers what
// was done, for the log, or nothing for a line it does not know.
QString control(const QString& line, sim::SimChain& chain, sim::PtyServer& server)
{
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString verb = words.value(0);
    bool ok = true;
    if (verb == QLatin1String("slow") && (words.size() == 2 || words.size() == 3)) {
        bool countOk = true;
        const double seconds = words.at(1).toDouble(&ok);
        const int count = words.size() == 3 ? words.at(2).toInt(&countOk) : -1;
        if (!ok || !countOk || seconds < 0 || count < -1)
            return {};
        chain.faults.replyDelay = seconds;
        chain.faults.lateCount = count;
        return line.simplified();
    }
    if (verb == QLatin1String("broadcasts") && words.size() == 2
        && (words.at(1) == QLatin1String("lost") || words.at(1) == QLatin1String("returned"))) {
        chain.faults.broadcastsLost = words.at(1) == QLatin1String("lost");
        return line.simplified();
    }
    if (verb == QLatin1String("netchange") && words.size() == 2) {
        const int count = words.at(1).toInt(&ok);
        if (!ok || count < 1)
            return {};
        // A camera that repeats its notice, a little apart each time.
        for (int i = 0; i < count; ++i)
            QTimer::singleShot(20 * i, &server, [&server] { server.sendNetworkChange(1); });
        return line.simplified();
    }
    return {};
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("peltro-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELTRO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves a simulated QUORIN/TAMIRO camera chain on a pseudo-terminal and prints its "
        "device path on the first line."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption chainOpt(QStringLiteral("chain"),
                                QStringLiteral("Comma-separated models, up to seven (default quorin-p3)."),
                                QStringLiteral("MODELS"), QStringLiteral("quorin-p3"));
    QCommandLineOption linkOpt(QStringLiteral("link"), QStringLiteral("Also make PATH a symbolic link to the device."),
                               QStringLiteral("PATH"));
    QCommandLineOption paceOpt(QStringLiteral("pace"), QStringLiteral("Send answers at the line speed."));
    QCommandLineOption baudOpt(QStringLiteral("baud"), QStringLiteral("Line speed for --pace (9600 or 38400)."),
                               QStringLiteral("BPS"), QStringLiteral("9600"));
    QCommandLineOption silentOpt(QStringLiteral("silent"), QStringLiteral("Camera at POSITION never answers (repeatable)."),
                                 QStringLiteral("POSITION"));
    QCommandLineOption noBroadcastOpt(QStringLiteral("no-broadcast"), QStringLiteral("Broadcasts do not come back."));
    QCommandLineOption junkOpt(QStringLiteral("junk"), QStringLiteral("Put junk bytes before every answer."));
    QCommandLineOption slowOpt(QStringLiteral("slow"), QStringLiteral("Answer SECONDS late (over 1 is too late for the panel)."),
                               QStringLiteral("SECONDS"));
    QCommandLineOption netOpt(QStringLiteral("netchange"),
                              QStringLiteral("Camera 1 sends a network-change notice after SECONDS."),
                              QStringLiteral("SECONDS"));
    QCommandLineOption controlOpt(QStringLiteral("control"),
                                  QStringLiteral("Take fault changes from standard input, one a line: \"slow SECONDS "
                                                 "[COUNT]\" (the next COUNT packets, or every one), \"broadcasts "
                                                 "lost\", \"broadcasts returned\", \"netchange COUNT\". Each is "
                                                 "confirmed on standard output as \"# LINE\"."));
    QCommandLineOption logOpt(QStringLiteral("log"),
                              QStringLiteral("Print every packet received (<-) and answer sent (->)."));
    parser.addOptions({logOpt, chainOpt, linkOpt, paceOpt, baudOpt, silentOpt, noBroadcastOpt, junkOpt, slowOpt, netOpt, controlOpt});
    parser.process(app);

    QString error;
    auto chain = sim::SimChain::fromNames(parser.value(chainOpt).split(',', Qt::SkipEmptyParts), &error);
    if (!chain) {
        std::fprintf(stderr, "peltro-sim: %s\n", qPrintable(error));
        return 2;
    }
    for (const QString& s : parser.values(silentOpt))
        chain->faults.silent.insert(s.toInt());
    chain->faults.broadcastsLost = parser.isSet(noBroadcastOpt);
    if (parser.isSet(junkOpt))
        chain->faults.junk = QByteArray("\x12\x34\x56", 3);
    if (parser.isSet(slowOpt))
        chain->faults.replyDelay = parser.value(slowOpt).toDouble();

    sim::PtyServer server(*chain);
    server.pace = parser.isSet(paceOpt);
    server.log = parser.isSet(logOpt);
    server.baud = parser.value(baudOpt).toInt() == 38400 ? 38400 : 9600;
    if (!server.start(&error)) {
        std::fprintf(stderr, "peltro-sim: %s\n", qPrintable(error));
        return 1;
    }
    if (parser.isSet(linkOpt)) {
        const QString link = parser.value(linkOpt);
        QFile::remove(link);
        if (!QFile::link(server.devicePath(), link)) {
            std::fprintf(stderr, "peltro-sim: cannot make link %s\n", qPrintable(link));
            return 1;
        }
    }
    // SIGTERM and SIGINT end the event loop cleanly through a pipe.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
        auto* sn = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(sn, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
    }
    std::printf("%s\n", qPrintable(server.devicePath()));
    std::fflush(stdout);

    if (parser.isSet(netOpt)) {
        const int ms = static_cast<int>(parser.value(netOpt).toDouble() * 1000);
        QTimer::singleShot(ms, &server, [&server] { server.sendNetworkChange(1); });
    }

    if (parser.isSet(controlOpt)) {
        auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
        auto pending = std::make_shared<QByteArray>();
        QObject::connect(input, &QSocketNotifier::activated, &app, [input, pending, &chain, &server] {
            char buf[256];
            const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
            if (n <= 0) {
                input->setEnabled(false);  // end of input: the faults stay as they are
                return;
            }
            pending->append(buf, n);
            for (qsizetype end = pending->indexOf('\n'); end >= 0; end = pending->indexOf('\n')) {
                const QString line = QString::fromLocal8Bit(pending->left(end));
                pending->remove(0, end + 1);
                const QString done = control(line, *chain, server);
                if (done.isEmpty()) {
                    std::fprintf(stderr, "peltro-sim: unknown control \"%s\"\n", qPrintable(line));
                } else {
                    std::printf("# %s\n", qPrintable(done));
                    std::fflush(stdout);
                }
            }
        });
    }

    const int rc = QCoreApplication::exec();
    if (parser.isSet(linkOpt))
        QFile::remove(parser.value(linkOpt));
    return rc;
}
