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
    session.assignAddresses([] {});
    session.checkVersion([] {});
    takeWrites();
}

} // namespace peltro::test
