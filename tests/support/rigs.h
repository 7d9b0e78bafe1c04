#pragma once

#include "camera_session.h"
#include "clock.h"
#include "link.h"
#include "sim_chain.h"
#include "sim_port.h"

#include <QCoreApplication>
#include <functional>

namespace peltro::test {

QList<ModelId> models(const QStringList& names);

// Hex text of bytes, "81 01 04 07 02 FF", for readable comparisons.
QString hex(const QByteArray& bytes);
// "81 01 04 07 02 FF" -> bytes
QByteArray bytes(const char* hexText);

// Runs a task of the session's to its end on the rig's chain (the event
// loop and virtual time going on meanwhile) and gives its result.
template <typename Rig, typename T> T finish(Rig& rig, Task<T> task);

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
    // Runs the event loop and virtual time until nothing is left to do: no
    // notification queued, no byte on its way and no deadline due, within
    // `limit` seconds of virtual time from now. Exchanges waiting for the
    // cameras end here.
    void settle(double limit = 60.0);
    // Runs the event loop and virtual time, as settle() does, until done()
    // holds; false when it did not within `limit` seconds of virtual time.
    bool runUntil(const std::function<bool()>& done, double limit = 60.0);
};

// Runs the event loop and virtual time on a simulated port until done()
// holds; false when it did not within `limit` seconds of virtual time or
// when nothing was left to happen.
bool runVirtual(ManualClock& clock, sim::SimPort& port, const std::function<bool()>& done, double limit = 60.0);

// A status read started as the panel starts it and run to its end, the
// rig's time going on meanwhile: false when it was refused or skipped.
template <typename Rig> bool readStatus(Rig& rig)
{
    if (!rig.session.readStatus())
        return false;
    rig.runUntil([&] { return !rig.session.busy(); });
    return true;
}

// The answer to the packet sent last as the link collects it (count bytes,
// or the filler when it did not come), the rig's time going on meanwhile.
QByteArray waitReply(ChainRig& rig, Link& link, int count);

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

namespace detail {
struct TestJobs : JobOwner {};
template <typename T> Job runTask(TestJobs&, Task<T> task, std::optional<T>& out)
{
    out = co_await task;
}
} // namespace detail

template <typename Rig, typename T> T finish(Rig& rig, Task<T> task)
{
    detail::TestJobs jobs;
    std::optional<T> out;
    detail::runTask(jobs, std::move(task), out);
    rig.runUntil([&] { return out.has_value(); });
    if (!out)
        qFatal("A task of the session did not end");
    return *out;
}

} // namespace peltro::test
