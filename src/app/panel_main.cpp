// peltro-panel: the control panel.
#include "clock.h"
#include "frm_main.h"
#include "message_service.h"
#include "panel_app.h"
#include "panel_settings.h"
#include "program_info.h"
#include "remote_access.h"
#include "serial_port_object.h"
#include "sim_chain.h"
#include "sim_port.h"
#include "startup.h"

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
    RemoteOptions::addTo(parser);
    parser.process(args);
    QString optionError;
    // Handed to the remote control together with the saved access once the
    // camera session runs the panel.
    const std::optional<RemoteOptions> remoteOptions = RemoteOptions::read(parser, &optionError);
    if (!remoteOptions) {
        std::fprintf(stderr, "peltro-panel: %s\n", qPrintable(optionError));
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
    StartupHooks hooks = panel.startupHooks();
    hooks.endProgram = [] { QCoreApplication::exit(0); };
    Startup startup(main, settings, hooks);
    if (!startup.run())
        return 0;
    return QApplication::exec();
}
