// peltro-panel: the control panel.
#include "clock.h"
#include "daily_log.h"
#include "message_service.h"
#include "panel_app.h"
#include "panel_settings.h"
#include "program_info.h"
#include "remote_access.h"
#include "serial_port_object.h"
#include "sim_chain.h"
#include "sim_port.h"
#include "startup.h"
#include "traffic_session.h"

#include <QApplication>
#include <QCommandLineParser>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace peltro;

namespace {

// What the command line asks for.
struct Options {
    bool simulate = false;
    QStringList models{QStringLiteral("quorin-p3")};
    QStringList ports;
    QString trafficLog;                                // a directory for the daily traffic files
    int trafficRows = traffic::Session::kDefaultLimit;
    RemoteOptions remote;                              // --osc, --osc-bind, --osc-hold-ms
};

// The parser of the panel's own options; --simulate takes an optional value,
// which the parser does not offer, and is taken out of args beforehand.
class CommandLine {
public:
    explicit CommandLine(QStringList args) : m_args(std::move(args))
    {
        for (int i = m_args.size() - 1; i >= 1; --i) {
            const QString& a = m_args.at(i);
            if (a == QLatin1String("--simulate") || a.startsWith(QLatin1String("--simulate="))) {
                options.simulate = true;
                if (a.contains('='))
                    options.models = a.section('=', 1).split(',', Qt::SkipEmptyParts);
                m_args.removeAt(i);
            }
        }
        parser.setApplicationDescription(
            QStringLiteral("Control panel for QUORIN and TAMIRO cameras on a serial port.\n"
                           "  --simulate[=MODEL,...]  run on a simulated chain of up to seven cameras\n"
                           "                          (default quorin-p3), e.g. --simulate=tamiro-j1a,quorin-p2\n"
                           "  MODEL is one of:\n%1")
                .arg(wrapped(sim::SimChain::modelNames())));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(m_port);
        parser.addOptions({m_trafficLog, m_trafficRows});
        RemoteOptions::addTo(parser);
    }

    // Before the display is opened: --help and --version print and end the
    // program, and so does a wrong option of the panel's own. Single-dash
    // words may be the toolkit's own options (-platform ...), which the
    // application object takes; they wait for process().
    void answerWithoutDisplay()
    {
        const bool parsed = parser.parse(m_args);
        if (parser.isSet(QStringLiteral("help")))
            parser.showHelp(0);
        if (parser.isSet(QStringLiteral("version")))
            parser.showVersion();
        if (parser.isSet(QStringLiteral("help-all")))
            parser.process(m_args);   // prints it and ends the program
        if (parsed)
            return;
        const QStringList unknown = parser.unknownOptionNames();
        const bool toolkitsPerhaps = !unknown.isEmpty() && std::all_of(unknown.cbegin(), unknown.cend(),
                                                                       [](const QString& n) { return n.size() == 1; });
        if (!toolkitsPerhaps) {
            std::fprintf(stderr, "peltro-panel: %s\n", qPrintable(parser.errorText()));
            std::exit(1);
        }
    }
    // With the application object, which has taken the toolkit's options.
    void process(QStringList args)
    {
        args.removeIf([](const QString& a) {
            return a == QLatin1String("--simulate") || a.startsWith(QLatin1String("--simulate="));
        });
        parser.process(args);
        options.ports = parser.values(m_port);
        bool rowsOk = true;
        if (parser.isSet(m_trafficRows))
            options.trafficRows = parser.value(m_trafficRows).toInt(&rowsOk);
        if (!rowsOk || options.trafficRows < 1) {
            std::fprintf(stderr, "peltro-panel: --traffic-rows takes a whole number of rows from 1 up, not \"%s\"\n",
                         qPrintable(parser.value(m_trafficRows)));
            std::exit(2);
        }
        if (parser.isSet(m_trafficLog) && parser.value(m_trafficLog).isEmpty()) {
            std::fprintf(stderr, "peltro-panel: --traffic-log takes a directory\n");
            std::exit(2);
        }
        options.trafficLog = parser.value(m_trafficLog);
        QString remoteError;
        const std::optional<RemoteOptions> remote = RemoteOptions::read(parser, &remoteError);
        if (!remote) {
            std::fprintf(stderr, "peltro-panel: %s\n", qPrintable(remoteError));
            std::exit(2);
        }
        options.remote = *remote;
    }

    Options options;

private:
    // "    quorin-p1, quorin-p2, ..." in lines of at most 78 characters.
    static QString wrapped(const QStringList& names)
    {
        QStringList lines{QStringLiteral("   ")};
        for (int i = 0; i < names.size(); ++i) {
            const QString item = QLatin1Char(' ') + names.at(i) + (i + 1 < names.size() ? QStringLiteral(",") : QString());
            if (lines.last().size() + item.size() > 78)
                lines << QStringLiteral("   ");
            lines.last() += item;
        }
        return lines.join(QLatin1Char('\n'));
    }

    QStringList m_args;
    QCommandLineParser parser;
    QCommandLineOption m_port{QStringLiteral("port"),
                              QStringLiteral("Device for the next Com number: the first --port is Com 1, the "
                                             "second Com 2, ... Without it, Com N is the N-th serial device of "
                                             "the system."),
                              QStringLiteral("DEVICE")};
    QCommandLineOption m_trafficLog{QStringLiteral("traffic-log"),
                                    QStringLiteral("Writes every row of the decoded traffic to one file a day in "
                                                   "DIR (traffic-YYYY-MM-DD.txt)."),
                                    QStringLiteral("DIR")};
    QCommandLineOption m_trafficRows{QStringLiteral("traffic-rows"),
                                     QStringLiteral("Rows the decoded traffic keeps, the oldest dropped first "
                                                    "(default %1).")
                                         .arg(traffic::Session::kDefaultLimit),
                                     QStringLiteral("N")};
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(PanelSettings::applicationName());
    QCoreApplication::setApplicationVersion(program::version());

    // The command line is answered, and the simulated chain made, before the
    // display is opened: help, version and a wrong model need none.
    std::unique_ptr<CommandLine> commandLine;
    std::unique_ptr<sim::SimChain> chain;
    {
        QCoreApplication core(argc, argv);
        commandLine = std::make_unique<CommandLine>(QCoreApplication::arguments());
        commandLine->answerWithoutDisplay();
        if (commandLine->options.simulate) {
            QString error;
            auto made = sim::SimChain::fromNames(commandLine->options.models, &error);
            if (!made) {
                std::fprintf(stderr, "peltro-panel: %s\n", qPrintable(error));
                return 2;
            }
            chain = std::make_unique<sim::SimChain>(std::move(*made));
        }
    }

    QApplication app(argc, argv);
    // The main window's close is the shutdown; other windows come and go.
    QApplication::setQuitOnLastWindowClosed(false);
    commandLine->process(QApplication::arguments());
    const QStringList ports = commandLine->options.ports;

    SteadyClock clock;
    WidgetMessageService messages;
    std::unique_ptr<PortObject> port;
    if (chain)
        port = std::make_unique<sim::SimPort>(*chain, clock);
    else
        port = std::make_unique<SerialPortObject>(ports.isEmpty() ? defaultComDevices() : ports);

    PanelSettings settings;
    PanelApp panel(*port, clock, messages, settings);
    panel.decodedTraffic->setLimit(commandLine->options.trafficRows);
    std::unique_ptr<traffic::DailyLog> trafficLog;
    if (!commandLine->options.trafficLog.isEmpty()) {
        trafficLog = std::make_unique<traffic::DailyLog>(*panel.decodedTraffic, commandLine->options.trafficLog);
        trafficLog->setReport([](const QString& text) { std::fprintf(stderr, "peltro-panel: %s\n", qPrintable(text)); });
    }
    QObject::connect(&panel.startup, &Startup::ended, &app, [] { QCoreApplication::exit(0); });
    // Closing the Com Setting dialog during start-up ends the program.
    QObject::connect(&panel.startup, &Startup::finished, &app, [](bool shown) {
        if (!shown)
            QCoreApplication::exit(0);
    });
    panel.startSurfaces(commandLine->options.remote);
    panel.startup.start();
    return QApplication::exec();
}
