#pragma once

// The whole panel in this process on a real serial port (the simulator's
// pseudo-terminal), put together as peltro-panel does it, with a message
// service that records what the operator is told.
#include "e2e_processes.h"

#include "clock.h"
#include "frm_main.h"
#include "message_service.h"
#include "panel_app.h"
#include "panel_settings.h"
#include "serial_port_object.h"
#include "startup.h"


namespace e2e {

struct LivePanel {
    LivePanel(const QStringList& devices, const QString& settingsFile)
        : port(devices, {}), settings(settingsFile), app(port, clock, messages, settings), main(app.main)
    {
        QObject::connect(&link(), &peltro::Link::wrote, &main,
                         [this](const QByteArray& bytes) { packetsWritten += int(bytes.count(char(0xFF))); });
    }
    // Start-up as the program runs it; false when it ended in the Com Setting dialog.
    bool start()
    {
        std::optional<bool> shown;
        const auto c = QObject::connect(&app.startup, &peltro::Startup::finished, &main,
                                        [&shown](bool s) { shown = s; });
        app.startup.start();
        const bool ended = QTest::qWaitFor([&] { return shown.has_value(); }, 120000);
        QObject::disconnect(c);
        if (!ended)
            qWarning("start-up did not end within two minutes");
        return shown.value_or(false);
    }
    peltro::Link& link() { return app.session.link(); }
    // Turns the event loop until no exchange holds the line: false when one
    // still did after ms.
    bool idle(int ms = 15000)
    {
        return QTest::qWaitFor([this] { return !app.session.busy(); }, ms);
    }
    template <typename T> T* control(const char* name) const { return main.control<T>(QString::fromLatin1(name)); }
    QAction* action(const char* name) const { return main.action(QString::fromLatin1(name)); }
    QStringList boxTexts() const
    {
        QStringList out;
        for (const auto& b : messages.boxes)
            out << b.text;
        return out;
    }

    int packetsWritten = 0;   // whole packets put on the line so far
    peltro::SteadyClock clock;
    peltro::RecordingMessageService messages;
    peltro::SerialPortObject port;
    peltro::PanelSettings settings;
    peltro::PanelApp app;
    peltro::FrmMain& main;
};

// Waits, turning the event loop (the panel lives in this process), until
// done holds; the simulator's log is taken in meanwhile.
inline bool waitFor(Sim& sim, const std::function<bool()>& done, int ms = 5000)
{
    return QTest::qWaitFor(
        [&] {
            sim.take();
            return done();
        },
        ms);
}

// A fault changed while the simulator runs (it was started with --control).
inline bool control(Sim& sim, const QString& line)
{
    sim.process.write((line + QLatin1Char('\n')).toLocal8Bit());
    return waitFor(sim, [&] { return sim.seen.contains(QStringLiteral("# ") + line); });
}

// Its answers (with any junk before them) from index from on.
inline QStringList answers(const Sim& sim, int from = 0)
{
    QStringList out;
    for (int i = from; i < sim.seen.size(); ++i)
        if (sim.seen.at(i).startsWith(QLatin1String("-> ")))
            out << sim.seen.at(i).mid(3);
    return out;
}

} // namespace e2e
