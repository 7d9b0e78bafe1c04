#pragma once

// The whole panel (the camera session, the main window as its view and the
// windows beside it) over a scripted port in virtual time, built afresh for
// each input so that every run starts from the panel as start-up leaves it.

#include "frm_main.h"
#include "fuzz_support.h"
#include "message_service.h"
#include "panel_app.h"
#include "panel_settings.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace peltro::fuzz {

struct FuzzPanel {
    FuzzPanel()
    {
        startQt();
        port.open();
        app = std::make_unique<PanelApp>(port, clock, messages, settings);
        fillStartupLabels(app->main.labels);
    }
    ~FuzzPanel()
    {
        app.reset();
        pumpEvents();   // nothing queued outlives the panel it was meant for
    }

    // Turns the event loop and moves virtual time on, from one deadline or
    // arrival to the next, while busy() holds (at most limit seconds): an
    // exchange of the panel runs to its end.
    void runWhile(const std::function<bool()>& busy, double limit = 600.0)
    {
        const double until = clock.now() + limit;
        for (;;) {
            pumpEvents();
            if (!busy())
                return;
            double next = clock.nextDue();
            const double arrival = port.nextArrival();
            if (arrival >= 0 && (next < 0 || arrival < next))
                next = arrival;
            if (next < 0 || next > until)
                return;
            clock.advance(std::max(0.0, next - clock.now()));
            port.deliverDue();
        }
    }

    FrmMain& main() { return app->main; }
    CameraSession& session() { return app->session; }
    Link& link() { return app->session.link(); }

    // Whether a warning with this text in it has been shown.
    bool shown(const QString& text) const
    {
        for (const auto& box : messages.boxes)
            if (box.text.contains(text))
                return true;
        return false;
    }

    ManualClock clock;
    RecordingMessageService messages;
    ScriptedPort port{clock};
    PanelSettings settings;   // the test location: nothing is saved
    std::unique_ptr<PanelApp> app;
};

} // namespace peltro::fuzz
