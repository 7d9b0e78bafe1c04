#include "rigs.h"

#include <QStringList>

namespace peltro::test {

QList<ModelId> models(const QStringList& names)
{
    QList<ModelId> out;
    for (const QString& n : names)
        out << *findModel(n);
    return out;
}

QString hex(const QByteArray& b)
{
    return hexBytes(b).trimmed();
}

QByteArray bytes(const char* hexText)
{
    return QByteArray::fromHex(QByteArray(hexText).replace(' ', ""));
}

ChainRig::ChainRig(const QStringList& names) : chain(models(names)), port(chain, clock)
{
    port.open();
}

QList<QByteArray> ChainRig::takeWrites()
{
    QList<QByteArray> w;
    w.swap(port.writes);
    port.written.clear();
    return w;
}

void ChainRig::settle(double limit)
{
    runVirtual(clock, port, [] { return false; }, limit);
}

bool ChainRig::runUntil(const std::function<bool()>& done, double limit)
{
    return runVirtual(clock, port, done, limit);
}

bool runVirtual(ManualClock& clock, sim::SimPort& port, const std::function<bool()>& done, double limit)
{
    const double until = clock.now() + limit;
    for (int turn = 0; turn < 1000000; ++turn) {
        ChainRig::pump();
        if (done())
            return true;
        double next = clock.nextDue();
        const double arrival = port.nextArrival();
        if (arrival >= 0 && (next < 0 || arrival < next))
            next = arrival;
        if (next < 0 || next > until)
            return done();
        clock.advance(std::max(0.0, next - clock.now()));
        port.deliverDue();
    }
    return done();
}

QByteArray waitReply(ChainRig& rig, Link& link, int count)
{
    std::optional<QByteArray> answer;
    link.awaitReply(count, [&](const QByteArray& a) { answer = a; });
    if (!rig.runUntil([&] { return answer.has_value(); })) {
        link.cancelReply();
        qFatal("A reply wait did not end");
    }
    return *answer;
}

QStringList ChainRig::sent()
{
    QStringList out;
    for (const QByteArray& w : takeWrites())
        out << hex(w);
    return out;
}

SessionRig::SessionRig(const QStringList& names) : ChainRig(names), session(port, clock) {}

void SessionRig::startUp()
{
    finish(*this, session.assignAddresses([] {}));
    finish(*this, session.checkVersion([] {}));
    takeWrites();
}

} // namespace peltro::test
