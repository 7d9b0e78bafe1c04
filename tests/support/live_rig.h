#pragma once

// The whole panel on a simulated chain in real time, its port open: the
// liveness drills and the stall benchmark run their faults on it.
#include "message_service.h"
#include "panel_app.h"
#include "panel_settings.h"
#include "rigs.h"
#include "sim_chain.h"
#include "sim_port.h"

#include <QTemporaryDir>
#include <memory>

namespace peltro::test {

struct LiveRig {
    explicit LiveRig(const QStringList& names = {QStringLiteral("quorin-p3")})
        : chain(models(names)), port(chain, clock), settings(dir.filePath(QStringLiteral("s.ini"))),
          app(std::make_unique<PanelApp>(port, clock, messages, settings))
    {
        port.open();
    }
    SteadyClock clock;
    sim::SimChain chain;
    sim::SimPort port;
    RecordingMessageService messages;
    QTemporaryDir dir;
    PanelSettings settings;
    std::unique_ptr<PanelApp> app;
};

} // namespace peltro::test
