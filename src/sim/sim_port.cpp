#include "sim_port.h"

#include "serial_port_object.h"

#include <algorithm>
#include <cmath>

namespace peltro::sim {

SimPort::SimPort(SimChain& chain, Clock& clock, QObject* parent)
    : PortObject(parent), m_chain(chain), m_clock(clock)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        deliverDue();
        armTimer();
    });
}

bool SimPort::open()
{
    if (commPort() < 1 || commPort() > 6) {
        setLastError(QStringLiteral("Com %1: no such device").arg(commPort()));
        return false;
    }
    if (!m_present) {
        setLastError(QStringLiteral("%1: %2").arg(deviceName(commPort()),
                                                  portErrorText(QSerialPort::DeviceNotFoundError, false)));
        return false;
    }
    m_open = true;
    setLastError({});
    endLoss();
    return true;
}

void SimPort::close()
{
    m_open = false;
    m_in.clear();
    m_pending.clear();
    m_timer.stop();
    endLoss();
}

void SimPort::pull()
{
    m_present = false;
    if (!m_open)
        return;
    m_open = false;
    m_in.clear();
    m_pending.clear();
    m_timer.stop();
    reportLost(QStringLiteral("%1: %2").arg(deviceName(commPort()), portErrorText(QSerialPort::ResourceError, true)));
}

void SimPort::putBack()
{
    m_present = true;
    reportMayBeBack();
}

QString SimPort::deviceName(int commPort) const
{
    if (commPort == chainComPort)
        return QStringLiteral("simulated chain");
    return QStringLiteral("simulated port, nothing attached");
}

bool SimPort::connected() const
{
    return m_open && commPort() == chainComPort && baudRate() == chainBaud;
}

void SimPort::schedule(double at, const QByteArray& bytes)
{
    const double byteTime = pace ? 10.0 / baudRate() : 0.0;
    double t = std::max(at, m_lineFreeAt);
    for (char b : bytes) {
        t += byteTime;
        // Keep arrival order: a later emission never overtakes an earlier one.
        auto it = std::upper_bound(m_pending.begin(), m_pending.end(), t,
                                   [](double due, const Pending& p) { return due < p.due; });
        m_pending.insert(it, Pending{t, b});
    }
    if (pace)
        m_lineFreeAt = t;
}

bool SimPort::write(const QByteArray& bytes)
{
    if (!m_open)
        return false;
    if (bytes.isEmpty())
        return true;
    if (pullAtWrite > 0 && writes.size() + 1 >= pullAtWrite) {
        pullAtWrite = 0;
        pull();
        return false;
    }
    written += bytes;
    writes << bytes;
    outputDrained();
    if (!connected())
        return true;  // on the line, with nothing to answer
    const double arrived = m_clock.now() + (pace ? bytes.size() * 10.0 / baudRate() : 0.0);
    const QList<Emission> out = m_chain.feed(bytes);
    for (const Emission& e : out)
        schedule(arrived + e.delay, e.bytes);
    deliverDue();
    armTimer();
    return true;
}

void SimPort::injectNetworkChange(int position)
{
    injectFromChain(m_chain.networkChangeNotice(position));
}

void SimPort::injectFromChain(const QByteArray& bytes)
{
    if (!connected())
        return;
    schedule(m_clock.now(), bytes);
    deliverDue();
    armTimer();
}

void SimPort::deliverDue()
{
    const double now = m_clock.now();
    bool moved = false;
    while (!m_pending.empty() && m_pending.front().due <= now) {
        m_in.append(m_pending.front().byte);
        m_pending.pop_front();
        moved = true;
    }
    if (moved)
        bytesArrived();
}

void SimPort::armTimer()
{
    if (m_pending.empty()) {
        m_timer.stop();
        return;
    }
    const double wait = m_pending.front().due - m_clock.now();
    m_timer.start(std::max(0, static_cast<int>(std::ceil(wait * 1000.0))));
}

int SimPort::inBufferCount()
{
    deliverDue();
    return m_open ? static_cast<int>(m_in.size()) : 0;
}

QByteArray SimPort::read()
{
    deliverDue();
    QByteArray bytes;
    bytes.swap(m_in);
    return bytes;
}

bool SimPort::waitForReadyRead(int msecs)
{
    if (isLost())
        return false;
    const double now = m_clock.now();
    const double deadline = now + msecs / 1000.0;
    if (!m_open || m_pending.empty() || m_pending.front().due > deadline) {
        m_clock.sleep(deadline - now);
        deliverDue();
        return false;
    }
    m_clock.sleep(m_pending.front().due - now);
    deliverDue();
    return true;
}

} // namespace peltro::sim
