#include "remote_control.h"

namespace peltro {

RemoteControl::RemoteControl(CameraOperations& operations, Clock& clock, QObject* parent)
    : QObject(parent),
      m_dispatcher(operations, clock),
      m_feedback(operations, [this](const OscPeer& to, const QString& path, const QList<OscArg>& args) {
          m_endpoint.send(to, path, args);
      }),
      m_state(QStringLiteral("Remote control is off."))
{
    m_endpoint.setReceiver([this](const OscMessage& m) { receive(m); });
}

RemoteControl::~RemoteControl()
{
    m_dispatcher.stopMoved(QStringLiteral("panel closing"));
    m_endpoint.close();
}

namespace {

QString listeningText(const QHostAddress& bound, quint16 port)
{
    QString scope;
    if (bound.isLoopback())
        scope = QStringLiteral(" (this computer only)");
    else if (bound == QHostAddress::AnyIPv4 || bound == QHostAddress::AnyIPv6)
        scope = QStringLiteral(" (the network)");
    return QStringLiteral("Listening on %1, UDP port %2%3.").arg(bound.toString()).arg(port).arg(scope);
}

} // namespace

void RemoteControl::configure(const RemoteAccess& access)
{
    const bool changed = !(access == m_access);
    m_access = access;
    m_filter = SenderFilter(access.allowed);
    const QHostAddress bind(access.bind);
    const bool same = m_endpoint.isOpen() && m_endpoint.address() == bind &&
                      (access.port == 0 || access.port == m_endpoint.port());
    if (!access.on || !same) {
        if (m_endpoint.isOpen())
            m_dispatcher.stopMoved(QStringLiteral("remote control off"));
        m_endpoint.close();
        m_feedback.clear();
    }
    if (!access.on) {
        setState(QStringLiteral("Remote control is off."));
    } else if (!same) {
        if (m_dropped) {
            m_dropped = 0;
            Q_EMIT droppedCountChanged(0);
        }
        QString why;
        if (bind.isNull())
            setState(QStringLiteral("Remote control is off: \"%1\" is not an IP address.").arg(access.bind.left(60)));
        else if (m_endpoint.open(bind, access.port, &why))
            setState(listeningText(m_endpoint.address(), m_endpoint.port()));
        else
            setState(why);
    }
    if (changed)
        Q_EMIT accessChanged(m_access);
}

void RemoteControl::setState(const QString& text)
{
    if (text == m_state)
        return;
    m_state = text;
    Q_EMIT stateChanged();
}

void RemoteControl::receive(const OscMessage& message)
{
    if (!m_filter.allows(message.from.address)) {
        ++m_dropped;
        Q_EMIT droppedCountChanged(m_dropped);
        return;
    }
    const RemoteDispatcher::Result result = m_dispatcher.dispatch(message);
    switch (result.kind) {
    case RemoteDispatcher::Result::Done:
    case RemoteDispatcher::Result::Ignored:
        break;
    case RemoteDispatcher::Result::Refused:
        reply(message.from, result.error);
        break;
    case RemoteDispatcher::Result::Subscribe: {
        OscPeer peer = message.from;
        if (result.port)
            peer.port = quint16(result.port);
        if (!m_feedback.subscribe(peer))
            reply(message.from, QStringLiteral("Too many subscribers (at most %1).").arg(RemoteFeedback::kMaxSubscribers));
        break;
    }
    case RemoteDispatcher::Result::Unsubscribe: {
        OscPeer peer = message.from;
        if (result.port)
            peer.port = quint16(result.port);
        m_feedback.unsubscribe(peer);
        break;
    }
    }
}

void RemoteControl::reply(const OscPeer& to, const QString& error)
{
    m_endpoint.send(to, QStringLiteral("/peltro/error"), {OscArg::string(error)});
}

} // namespace peltro
