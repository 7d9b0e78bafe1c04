#pragma once

#include "camera_session.h"
#include "clock.h"
#include "link.h"
#include "sim_chain.h"
#include "sim_port.h"

#include <QCoreApplication>

namespace peltro::test {

QList<ModelId> models(const QStringList& names);

// Hex text of bytes, "81 01 04 07 02 FF", for readable comparisons.
QString hex(const QByteArray& bytes);
// "81 01 04 07 02 FF" -> bytes
QByteArray bytes(const char* hexText);

// A simulated chain on a simulated port in virtual time.
struct ChainRig {
    explicit ChainRig(const QStringList& names = {QStringLiteral("quorin-p3")});
    ManualClock clock;
    sim::SimChain chain;
    sim::SimPort port;

    // Bytes the panel wrote since the last call, one entry per write.
    QList<QByteArray> takeWrites();
    // The same as hex text, one entry per write.
    QStringList sent();
    // Delivers queued port notifications.
    static void pump() { QCoreApplication::processEvents(); QCoreApplication::processEvents(); }
};

// The camera session on the simulated chain, without any widget.
struct SessionRig : ChainRig {
    explicit SessionRig(const QStringList& names = {QStringLiteral("quorin-p3")});
    CameraSession session;
    Link& link() { return session.link(); }
    RefreshMachine& refresh() { return session.refresh(); }
    // The link's two traffic texts, as the history boxes show them.
    QString sendText() { return session.link().traffic().text(TrafficLog::Sent); }
    QString recvText() { return session.link().traffic().text(TrafficLog::Received); }
    // Counts the chain and identifies camera 1 as start-up does, then
    // forgets what went over the line.
    void startUp();
};

} // namespace peltro::test
