#pragma once

// The whole panel (main window and everything that works on it) over a
// scripted port in virtual time, built afresh for each input so that every
// run starts from the panel as start-up leaves it.

#include "frm_main.h"
#include "fuzz_support.h"
#include "message_service.h"
#include "panel_app.h"

#include <memory>

namespace peltro::fuzz {

struct FuzzPanel {
    FuzzPanel()
    {
        startQt();
        port.open();
        main = std::make_unique<FrmMain>(state, port, clock, messages);
        app = std::make_unique<PanelApp>(*main);
        app->config.buildLabelTables();
    }
    ~FuzzPanel()
    {
        app.reset();
        main.reset();
        pumpEvents();   // nothing queued outlives the panel it was meant for
    }

    // Whether a warning with this text in it has been shown.
    bool shown(const QString& text) const
    {
        for (const auto& box : messages.boxes)
            if (box.text.contains(text))
                return true;
        return false;
    }

    PanelState state;
    ManualClock clock;
    RecordingMessageService messages;
    ScriptedPort port{clock};
    std::unique_ptr<FrmMain> main;
    std::unique_ptr<PanelApp> app;
};

} // namespace peltro::fuzz
