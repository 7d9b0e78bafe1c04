#pragma once

#include "panel_app.h"
#include "rigs.h"

namespace peltro::test {

// The main window with everything that works on it, over the simulated
// chain in virtual time.
struct AppRig : PanelRig {
    explicit AppRig(const QStringList& names = {QStringLiteral("quorin-p3")});
    PanelApp app;

    // Start-up has run: labels built, model identified as start-up does it.
    void identify();
};

// The offscreen platform cannot move or raise windows or pass size hints on,
// and says so on every call: quietPlatform() keeps those lines out of the
// test log until loudPlatform(); the rest of the log goes on as usual.
void quietPlatform();
void loudPlatform();

} // namespace peltro::test
