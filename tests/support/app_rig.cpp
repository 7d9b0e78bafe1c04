#include "app_rig.h"

namespace peltro::test {

PanelRig::PanelRig(const QStringList& names)
    : ChainRig(names), settings(settingsDir.filePath(QStringLiteral("settings.ini"))),
      app(std::make_unique<PanelApp>(port, clock, messages, settings)), main(&app->main), session(app->session)
{
    // The lists start-up builds before any model is known.
    fillStartupLabels(main->labels);
}

PanelRig::~PanelRig() = default;

void PanelRig::identify()
{
    finish(*this, session.checkVersion([] {}));
    takeWrites();
}

namespace {
QtMessageHandler g_testLog = nullptr;

void platformFiltered(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")))
        g_testLog(type, context, message);
}
} // namespace

void quietPlatform()
{
    g_testLog = qInstallMessageHandler(platformFiltered);
}

void loudPlatform()
{
    qInstallMessageHandler(g_testLog);
}

bool runStartup(ManualClock& clock, sim::SimPort& port, Startup& startup, const std::function<void()>& eachTurn)
{
    std::optional<bool> shown;
    const QMetaObject::Connection c =
        QObject::connect(&startup, &Startup::finished, [&](bool s) { shown = s; });
    startup.start();
    runVirtual(clock, port, [&] {
        if (eachTurn && !shown)
            eachTurn();
        return shown.has_value();
    }, 600.0);
    QObject::disconnect(c);
    return shown.value_or(false);
}

} // namespace peltro::test
