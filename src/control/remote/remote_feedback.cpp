#include "remote_feedback.h"

namespace peltro {

namespace {

QString cameraPath(int address, const char* what)
{
    return QStringLiteral("/peltro/cam/%1/%2").arg(address).arg(QLatin1String(what));
}

} // namespace

RemoteFeedback::RemoteFeedback(CameraOperations& operations, Sender send, QObject* parent)
    : QObject(parent), m_ops(&operations), m_send(std::move(send))
{
    m_state = snapshot();
    connect(&operations, &CameraOperations::linkChanged, this, &RemoteFeedback::publish);
    connect(&operations, &CameraOperations::selectedChanged, this, &RemoteFeedback::publish);
    connect(&operations, &CameraOperations::chainChanged, this, &RemoteFeedback::publish);
    connect(&operations, &CameraOperations::cameraChanged, this, &RemoteFeedback::publish);
}

RemoteFeedback::State RemoteFeedback::snapshot() const
{
    State s;
    if (!m_ops)
        return s;
    s.link = m_ops->linkUp();
    s.selected = m_ops->selectedCamera();
    for (int address = 1; address <= 7; ++address) {
        const CameraOperations::CameraInfo info = m_ops->camera(address);
        CameraState& c = s.cameras[size_t(address)];
        c.inChain = info.inChain;
        if (!c.inChain)
            continue;
        c.model = info.model;
        c.preset = info.lastPreset;
        c.zoom = info.zoomPosition;
        c.moving = info.moving;
    }
    return s;
}

QList<RemoteFeedback::Item> RemoteFeedback::items(const State& s)
{
    QList<Item> out{
        {QStringLiteral("/peltro/link"), OscArg::string(s.link ? QStringLiteral("up") : QStringLiteral("lost"))},
        {QStringLiteral("/peltro/selected"), OscArg::integer(s.selected)},
    };
    for (int address = 1; address <= 7; ++address) {
        const CameraState& c = s.cameras[size_t(address)];
        if (!c.inChain)
            continue;
        out.append({cameraPath(address, "model"), OscArg::string(c.model)});
        out.append({cameraPath(address, "preset"), OscArg::integer(c.preset)});
        out.append({cameraPath(address, "zoom/position"), OscArg::integer(c.zoom)});
        out.append({cameraPath(address, "moving"), OscArg::integer(c.moving ? 1 : 0)});
    }
    return out;
}

QList<RemoteFeedback::Item> RemoteFeedback::changes(const State& before, const State& now)
{
    QList<Item> out;
    if (before.link != now.link)
        out.append({QStringLiteral("/peltro/link"),
                    OscArg::string(now.link ? QStringLiteral("up") : QStringLiteral("lost"))});
    if (before.selected != now.selected)
        out.append({QStringLiteral("/peltro/selected"), OscArg::integer(now.selected)});
    for (int address = 1; address <= 7; ++address) {
        const CameraState& b = before.cameras[size_t(address)];
        const CameraState& c = now.cameras[size_t(address)];
        if (b == c || (!b.inChain && !c.inChain))
            continue;
        // A camera that joined the chain is told whole; one that left, by its empty model.
        const bool joined = c.inChain && !b.inChain;
        if (joined || b.model != c.model)
            out.append({cameraPath(address, "model"), OscArg::string(c.model)});
        if (!c.inChain)
            continue;
        if (joined || b.preset != c.preset)
            out.append({cameraPath(address, "preset"), OscArg::integer(c.preset)});
        if (joined || b.zoom != c.zoom)
            out.append({cameraPath(address, "zoom/position"), OscArg::integer(c.zoom)});
        if (joined || b.moving != c.moving)
            out.append({cameraPath(address, "moving"), OscArg::integer(c.moving ? 1 : 0)});
    }
    return out;
}

bool RemoteFeedback::subscribe(const OscPeer& peer)
{
    const bool known = m_subscribers.contains(peer);
    if (!known && m_subscribers.size() >= kMaxSubscribers)
        return false;
    // What changed unannounced goes to those already there; the newcomer
    // gets the whole state as it is now.
    publish();
    if (!known)
        m_subscribers.append(peer);
    sendTo(peer, items(m_state));
    return true;
}

void RemoteFeedback::unsubscribe(const OscPeer& peer)
{
    m_subscribers.removeAll(peer);
}

void RemoteFeedback::publish()
{
    const State now = snapshot();
    const QList<Item> changed = changes(m_state, now);
    m_state = now;
    if (changed.isEmpty())
        return;
    for (const OscPeer& peer : std::as_const(m_subscribers))
        sendTo(peer, changed);
}

void RemoteFeedback::sendTo(const OscPeer& peer, const QList<Item>& list)
{
    if (!m_send)
        return;
    for (const Item& item : list)
        m_send(peer, item.path, {item.value});
}

} // namespace peltro
