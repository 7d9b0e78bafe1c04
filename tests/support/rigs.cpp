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
    return Link::hexBytes(b).trimmed();
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

LinkRig::LinkRig(const QStringList& names)
    : ChainRig(names), link(state, port, clock), refresh(timer1, autoRefreshed, refreshOnce, link, messages),
      sendText(link.traffic(), TrafficLog::Sent), recvText(link.traffic(), TrafficLog::Received)
{
}

void LinkRig::setAutoRunning()
{
    refresh.toggleAuto();
}

PanelRig::PanelRig(const QStringList& names)
    : ChainRig(names), main(std::make_unique<FrmMain>(state, port, clock, messages))
{
}

} // namespace peltro::test
