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

} // namespace peltro::test
