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
    session.checkVersion([] {});
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

} // namespace peltro::test
