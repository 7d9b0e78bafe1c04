#pragma once

#include "clock.h"
#include "frm_main.h"
#include "link.h"
#include "message_service.h"
#include "panel_state.h"
#include "refresh_controller.h"
#include "sim_chain.h"
#include "sim_port.h"
#include "traffic_text.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>
#include <memory>

namespace peltro::test {

QList<ModelId> models(const QStringList& names);

// Hex text of bytes, "81 01 04 07 02 FF", for readable comparisons.
QString hex(const QByteArray& bytes);
// "81 01 04 07 02 FF" -> bytes
QByteArray bytes(const char* hexText);

// A simulated chain on a simulated port in virtual time.
struct ChainRig {
    explicit ChainRig(const QStringList& names = {QStringLiteral("quorin-p3")});
    PanelState state;
    ManualClock clock;
    RecordingMessageService messages;
    sim::SimChain chain;
    sim::SimPort port;

    // Bytes the panel wrote since the last call, one entry per write.
    QList<QByteArray> takeWrites();
    // Delivers queued port notifications.
    static void pump() { QCoreApplication::processEvents(); QCoreApplication::processEvents(); }
};

// The link with the refresh controller and the traffic boxes, on stand-alone
// copies of the main window's controls.
struct LinkRig : ChainRig {
    explicit LinkRig(const QStringList& names = {QStringLiteral("quorin-p3")});
    QTimer timer1;
    QPushButton autoRefreshed{QStringLiteral("Stop")};
    QPushButton refreshOnce{QStringLiteral("Refresh Once")};
    Link link;
    RefreshController refresh;
    TrafficText sendText;
    TrafficText recvText;

    void setAutoRunning();  // caption "Auto", timer running, button enabled
};

// The whole main window over the simulated chain.
struct PanelRig : ChainRig {
    explicit PanelRig(const QStringList& names = {QStringLiteral("quorin-p3")});
    std::unique_ptr<FrmMain> main;
    Link& link() { return main->link(); }
};

} // namespace peltro::test
