// peltro-panel: the control panel.
#include "clock.h"
#include "daily_log.h"
#include "frm_main.h"
#include "message_service.h"
#include "panel_app.h"
#include "panel_settings.h"
#include "program_info.h"
#include "serial_port_object.h"
#include "sim_chain.h"
#include "sim_port.h"
#include "startup.h"
#include "traffic_session.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <memory>

using namespace peltro;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(PanelSettings::applicationName());
    QApplication::setApplicationVersion(program::version());
    // The main window's close is the shutdown; other windows come and go.
    QApplication::setQuitOnLastWindowClosed(false);

    // --simulate takes an optional value, which the parser does not offer.
    QStringList args = QApplication::arguments();
    bool simulate = false;
    QStringList models{QStringLiteral("quorin-p3")};
    for (int i = args.size() - 1; i >= 1; --i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--simulate") || a.startsWith(QLatin1String("--simulate="))) {
            simulate = true;
            if (a.contains('='))
                models = a.section('=', 1).split(',', Qt::SkipEmptyParts);
            args.removeAt(i);
        }
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Control panel for QUORIN and TAMIRO cameras on a serial port.\n"
                       "  --simulate[=MODEL,...]  run on a simulated camera chain "
                       "(default quorin-p3), e.g. --simulate=tamiro-j1a,quorin-p2"));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption portOption(QStringLiteral("port"),
                                  QStringLiteral("Device for the next Com number: the first --port is "
                                                 "Com 1, the second Com 2, ... Without it, Com N is the "
                                                 "N-th serial device of the system."),
                                  QStringLiteral("DEVICE"));
    parser.addOption(portOption);
    QCommandLineOption trafficLogOption(QStringLiteral("traffic-log"),
                                        QStringLiteral("Writes every row of the decoded traffic to one file a "
                                                       "day in DIR (traffic-YYYY-MM-DD.txt)."),
                                        QStringLiteral("DIR"));
    QCommandLineOption trafficRowsOption(QStringLiteral("traffic-rows"),
                                         QStringLiteral("Rows the decoded traffic keeps, the oldest dropped first "
                                                        "(default %1).").arg(traffic::Session::kDefaultLimit),
                                         QStringLiteral("N"));
    parser.addOptions({trafficLogOption, trafficRowsOption});
    parser.process(args);
    bool rowsOk = true;
    const int trafficRows = parser.isSet(trafficRowsOption) ? parser.value(trafficRowsOption).toInt(&rowsOk)
                                                            : traffic::Session::kDefaultLimit;
    if (!rowsOk || trafficRows < 1) {
        std::fprintf(stderr, "peltro-panel: --traffic-rows takes a whole number of rows from 1 up, not \"%s\"\n",
                     qPrintable(parser.value(trafficRowsOption)));
        return 2;
    }
    if (parser.isSet(trafficLogOption) && parser.value(trafficLogOption).isEmpty()) {
        std::fprintf(stderr, "peltro-panel: --traffic-log takes a directory\n");
        return 2;
    }

    PanelState state;
    SteadyClock clock;
    WidgetMessageService messages;
    std::unique_ptr<sim::SimChain> chain;
    std::unique_ptr<PortObject> port;
    if (simulate) {
        QString error;
        auto made = sim::SimChain::fromNames(models, &error);
        if (!made) {
            std::fprintf(stderr, "peltro-panel: %s\n", qPrintable(error));
            return 2;
        }
        chain = std::make_unique<sim::SimChain>(std::move(*made));
        port = std::make_unique<sim::SimPort>(*chain, clock);
    } else {
        const QStringList devices = parser.isSet(portOption) ? parser.values(portOption) : defaultComDevices();
        port = std::make_unique<SerialPortObject>(devices);
    }

    FrmMain main(state, *port, clock, messages);
    PanelSettings settings;
    PanelApp panel(main);
    panel.decodedTraffic->setLimit(trafficRows);
    std::unique_ptr<traffic::DailyLog> trafficLog;
    if (parser.isSet(trafficLogOption)) {
        trafficLog = std::make_unique<traffic::DailyLog>(*panel.decodedTraffic, parser.value(trafficLogOption));
        trafficLog->setReport([](const QString& text) { std::fprintf(stderr, "peltro-panel: %s\n", qPrintable(text)); });
    }
    StartupHooks hooks = panel.startupHooks();
    hooks.endProgram = [] { QCoreApplication::exit(0); };
    Startup startup(main, settings, hooks);
    if (!startup.run())
        return 0;
    return QApplication::exec();
}
