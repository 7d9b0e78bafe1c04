#include "motion_pacer.h"

#include <algorithm>
#include <limits>

namespace peltro {

namespace {
// Times computed as now + (due - now) may miss due by a rounding error.
constexpr double kSlack = 1e-9;
static_assert(MotionPacer::kStopResendInterval > MotionPacer::kAckDeadline,
              "a stop is sent again only once its acknowledge is overdue");
} // namespace

QString MotionKind::name() const
{
    if (m_group == Position)
        return QStringLiteral("position %1").arg(m_id, 2, 16, QLatin1Char('0')).toUpper();
    switch (m_id) {
    case 0: return QStringLiteral("pan-tilt");
    case 1: return QStringLiteral("zoom");
    case 2: return QStringLiteral("focus");
    case 3: return QStringLiteral("digital zoom");
    case 4: return QStringLiteral("phase");
    }
    return QStringLiteral("drive %1").arg(m_id);
}

MotionPacer::MotionPacer(int address, MotionLine& line, Clock& clock, QObject* parent)
    : QObject(parent), m_address(address), m_line(line), m_clock(clock), m_timer(clock)
{
    connect(&m_timer, &ClockTimer::timeout, this, &MotionPacer::pump);
}

bool MotionPacer::wellFormed(const MotionPacket& packet)
{
    if (packet.size() < 3 || packet.size() > 16)
        return false;
    const int header = quint8(packet.front());
    return header >= 0x81 && header <= 0x87 && packet.indexOf(char(0xFF)) == packet.size() - 1;
}

bool MotionPacer::drive(MotionKind kind, const MotionPacket& packet, const MotionPacket& stopPacket)
{
    if (m_linkDown || !kind.isDrive() || !wellFormed(packet) || !wellFormed(stopPacket))
        return false;
    // A stop already sent must not be sent again after this drive: it would
    // stop what the operator has just started. One not yet sent still goes
    // first.
    if (Stop* s = findStop(kind); s && s->sends > 0)
        m_stops.removeIf([id = s->id](const Stop& x) { return x.id == id; });
    auto it = std::find_if(m_values.begin(), m_values.end(), [&](const Value& v) { return v.kind == kind; });
    if (it != m_values.end())
        *it = Value{kind, packet, stopPacket};
    else
        m_values.append(Value{kind, packet, stopPacket});
    pump();
    return true;
}

bool MotionPacer::setPosition(MotionKind kind, const MotionPacket& packet)
{
    if (m_linkDown || kind.isDrive() || !wellFormed(packet))
        return false;
    auto it = std::find_if(m_values.begin(), m_values.end(), [&](const Value& v) { return v.kind == kind; });
    if (it != m_values.end())
        it->packet = packet;
    else
        m_values.append(Value{kind, packet, {}});
    pump();
    return true;
}

void MotionPacer::dropWaiting(MotionKind kind)
{
    m_values.removeIf([&](const Value& v) { return v.kind == kind; });
}

bool MotionPacer::stop(MotionKind kind, const MotionPacket& packet)
{
    if (!wellFormed(packet))
        return false;
    m_values.removeIf([&](const Value& v) { return v.kind == kind; });
    owe(kind, packet);
    pump();
    return true;
}

void MotionPacer::owe(MotionKind kind, const MotionPacket& packet)
{
    const double now = m_clock.now();
    if (Stop* s = findStop(kind)) {
        // Asked again: it goes now, with its sends counted afresh.
        s->packet = packet;
        s->sends = 0;
        s->dueAt = now;
        return;
    }
    m_stops.append(Stop{kind, packet, 0, now, m_nextStopId++});
}

MotionPacer::Stop* MotionPacer::findStop(MotionKind kind)
{
    for (Stop& s : m_stops) {
        if (s.kind == kind)
            return &s;
    }
    return nullptr;
}

MotionPacer::Stop* MotionPacer::dueStop(double now, bool unsentOnly)
{
    for (Stop& s : m_stops) {
        if (s.dueAt <= now + kSlack && (!unsentOnly || s.sends == 0))
            return &s;
    }
    return nullptr;
}

bool MotionPacer::stopDue() const
{
    const double now = m_clock.now();
    if (m_linkDown || (m_inFlight.awaiting && m_acknowledging && now + kSlack < m_inFlight.deadline))
        return false;
    return std::any_of(m_stops.cbegin(), m_stops.cend(),
                       [now](const Stop& s) { return s.sends == 0 && s.dueAt <= now + kSlack; });
}

void MotionPacer::acknowledged()
{
    if (!m_inFlight.awaiting)
        return;   // late, or not for a packet of ours
    if (m_inFlight.stopId)
        m_stops.removeIf([id = m_inFlight.stopId](const Stop& s) { return s.id == id; });
    m_inFlight = {};
    m_acknowledging = true;
    pump();
}

void MotionPacer::failed()
{
    if (!m_inFlight.awaiting)
        return;
    // The camera answers, but it did not take the packet: a stop stays owed
    // and goes again at its interval; a refused value is not retried (a
    // newer one replaces it, and the same one would be refused again).
    m_inFlight = {};
    m_acknowledging = true;
    pump();
}

void MotionPacer::lineFreed()
{
    pump();
}

void MotionPacer::linkLost()
{
    m_linkDown = true;
    m_timer.stop();
    m_values.clear();
    for (const Value& running : std::as_const(m_running))
        owe(running.kind, running.stop);
    // What was sent of a stop may not have reached the camera.
    for (Stop& s : m_stops) {
        s.sends = 0;
        s.dueAt = 0.0;
    }
    m_inFlight = {};
    m_lineBusyUntil = 0.0;
}

void MotionPacer::linkBack()
{
    if (!m_linkDown)
        return;
    m_linkDown = false;
    m_acknowledging = true;
    const double now = m_clock.now();
    for (Stop& s : m_stops)
        s.dueAt = now;
    pump();
}

void MotionPacer::expireAck(double now)
{
    if (m_inFlight.awaiting && now + kSlack >= m_inFlight.deadline) {
        m_inFlight.awaiting = false;
        m_acknowledging = false;
    }
}

bool MotionPacer::send(const MotionPacket& packet)
{
    if (!m_line.sendMotion(packet))
        return false;
    const double now = m_clock.now();
    const int bytes = int(packet.size());
    m_lineBusyUntil = now + m_line.lineTime(bytes);
    m_inFlight.awaiting = true;
    m_inFlight.stopId = 0;
    m_inFlight.deadline = now + m_line.lineTime(bytes + kAckBytes) + kAckDeadline;
    return true;
}

void MotionPacer::pump()
{
    if (m_pumping || m_linkDown)
        return;
    m_pumping = true;
    for (;;) {
        const double now = m_clock.now();
        expireAck(now);
        if (m_inFlight.awaiting && m_acknowledging)
            break;
        if (now + kSlack < m_lineBusyUntil)
            break;
        Stop* stop = dueStop(now, !m_line.lineFree());
        if (stop && stop->sends > kStopResends) {
            const MotionKind kind = stop->kind;
            m_stops.removeIf([id = stop->id](const Stop& s) { return s.id == id; });
            Q_EMIT stopUnconfirmed(kind);
            continue;
        }
        if (!stop && m_values.isEmpty())
            break;
        // Held by an exchange, or refused below: lineFreed() goes on.
        if (!(stop ? m_line.stopMayGo() : m_line.lineFree()))
            break;
        if (stop) {
            if (!send(stop->packet))
                break;
            ++stop->sends;
            stop->dueAt = now + kStopResendInterval;
            m_inFlight.stopId = stop->id;
            const MotionKind kind = stop->kind;
            setRunning(Value{kind, {}, {}}, false);
        } else {
            const Value value = m_values.first();
            if (!send(value.packet))
                break;
            m_values.removeFirst();
            if (value.kind.isDrive())
                setRunning(value, true);
        }
    }
    m_pumping = false;
    schedule();
}

void MotionPacer::schedule()
{
    if (m_linkDown) {
        m_timer.stop();
        return;
    }
    const double now = m_clock.now();
    double wake = std::numeric_limits<double>::infinity();
    if (m_inFlight.awaiting)
        wake = m_inFlight.deadline;
    const bool work = !m_values.isEmpty() || !m_stops.isEmpty();
    if (work && m_lineBusyUntil > now)
        wake = std::min(wake, m_lineBusyUntil);
    for (const Stop& s : std::as_const(m_stops)) {
        if (s.dueAt > now)
            wake = std::min(wake, s.dueAt);
    }
    if (wake == std::numeric_limits<double>::infinity())
        m_timer.stop();
    else
        m_timer.start(wake - now);
}

void MotionPacer::setRunning(const Value& drive, bool running)
{
    const bool was = moving();
    m_running.removeIf([&](const Value& v) { return v.kind == drive.kind; });
    if (running)
        m_running.append(drive);
    if (was != moving())
        Q_EMIT movingChanged(moving());
}

} // namespace peltro
