#include "fuzz_support.h"

#include "link.h"

#include <QApplication>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace peltro::fuzz {

void startQt()
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    static int argc = 1;
    static char name[] = "peltro-fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);   // lives as long as the process
}

void pumpEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void fail(const char* what, const QByteArray& bytes)
{
    std::fprintf(stderr, "\n*** %s", what);
    if (!bytes.isEmpty())
        std::fprintf(stderr, ": %s", qPrintable(Link::hexBytes(bytes)));
    std::fprintf(stderr, "\n");
    std::abort();
}

bool isWellFormedPacket(const QByteArray& packet)
{
    return !packet.isEmpty() && quint8(packet.back()) == 0xFF && packet.indexOf(char(0xFF)) == packet.size() - 1;
}

void requireWellFormedPackets(const QList<QByteArray>& writes, const char* what)
{
    for (const QByteArray& w : writes)
        require(isWellFormedPacket(w), what, w);
}

QByteArray Input::bytes(std::size_t count)
{
    const std::size_t n = std::min(count, remaining());
    QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(n));
    m_pos += n;
    return out;
}

QByteArray Input::record(int limit)
{
    return bytes(std::size_t(byte() % (limit + 1)));
}

void ScriptedPort::answer(double delay, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    const double due = m_clock.now() + std::max(delay, 0.0);
    auto it = std::upper_bound(m_pending.begin(), m_pending.end(), due,
                               [](double d, const Pending& p) { return d < p.due; });
    m_pending.insert(it, Pending{due, bytes});
    deliverDue();
}

void ScriptedPort::close()
{
    m_open = false;
    m_in.clear();
    m_pending.clear();
}

void ScriptedPort::deliverDue()
{
    bool moved = false;
    while (!m_pending.empty() && m_pending.front().due <= m_clock.now()) {
        m_in += m_pending.front().bytes;
        m_pending.pop_front();
        moved = true;
    }
    if (moved && m_open)
        bytesArrived();
}

int ScriptedPort::inBufferCount()
{
    deliverDue();
    return m_open ? int(m_in.size()) : 0;
}

QByteArray ScriptedPort::read()
{
    deliverDue();
    QByteArray out;
    out.swap(m_in);
    return out;
}

bool ScriptedPort::write(const QByteArray& bytes)
{
    if (!m_open)
        return false;
    if (bytes.isEmpty())
        return true;
    writes << bytes;
    outputDrained();
    if (answerWrite)
        answerWrite(bytes);
    return true;
}

bool ScriptedPort::waitForReadyRead(int msecs)
{
    const double now = m_clock.now();
    const double deadline = now + std::max(msecs, 0) / 1000.0;
    if (!m_open || m_pending.empty() || m_pending.front().due > deadline) {
        m_clock.sleep(deadline - now);
        deliverDue();
        return false;
    }
    m_clock.sleep(m_pending.front().due - now);
    deliverDue();
    return true;
}

} // namespace peltro::fuzz
