#include "app_rig.h"

namespace peltro::test {

AppRig::AppRig(const QStringList& names) : PanelRig(names), app(*main)
{
    app.config.buildLabelTables();
}

void AppRig::identify()
{
    sim::SimCamera& camera = chain.camera(state.cameraAddress);
    app.config.identifyModel(camera.versionAnswer());
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
