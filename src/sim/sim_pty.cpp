#include "sim_pty.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace peltro::sim {

PtyServer::PtyServer(SimChain& chain, QObject* parent) : QObject(parent), m_chain(chain)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PtyServer::flushDue);
    m_clock.start();
}

PtyServer::~PtyServer()
{
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

bool PtyServer::start(QString* error)
{
    char name[PATH_MAX] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        if (error)
            *error = QStringLiteral("cannot open a pseudo-terminal: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // Raw on both ends: no echo, no line editing, no CR/LF translation.
    termios tio{};
    if (::tcgetattr(m_slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_path = QString::fromLocal8Bit(name);
    // The slave end stays open here too, so the terminal does not hang up
    // between two programs that open it.
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyServer::onReadable);
    return true;
}

void PtyServer::onReadable()
{
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            break;
        const QByteArray bytes(buf, static_cast<int>(n));
        bytesReceived += n;
        const qint64 arrived = m_clock.nsecsElapsed()
            + (pace ? qint64(bytes.size()) * 10'000'000'000LL / baud : 0);
        const qsizetype logged = m_chain.log.size();
        const QList<Emission> out = m_chain.feed(bytes);
        if (log) {
            for (qsizetype i = logged; i < m_chain.log.size(); ++i)
                std::printf("<- %s\n", m_chain.log.at(i).toHex(' ').toUpper().constData());
            for (const Emission& e : out)
                std::printf("-> %s\n", e.bytes.toHex(' ').toUpper().constData());
            std::fflush(stdout);
        }
        for (const Emission& e : out)
            send(arrived / 1e9 + e.delay, e.bytes);
    }
}

void PtyServer::sendNetworkChange(int position)
{
    send(m_clock.nsecsElapsed() / 1e9, m_chain.networkChangeNotice(position));
}

void PtyServer::send(double at, const QByteArray& bytes)
{
    const qint64 byteNs = pace ? 10'000'000'000LL / baud : 0;
    qint64 t = std::max(static_cast<qint64>(at * 1e9), m_lineFreeNs);
    for (char b : bytes) {
        t += byteNs;
        auto it = std::upper_bound(m_out.begin(), m_out.end(), t,
                                   [](qint64 due, const Pending& p) { return due < p.dueNs; });
        m_out.insert(it, Pending{t, b});
    }
    if (pace)
        m_lineFreeNs = t;
    flushDue();
}

void PtyServer::flushDue()
{
    const qint64 now = m_clock.nsecsElapsed();
    QByteArray due;
    while (!m_out.empty() && m_out.front().dueNs <= now) {
        due.append(m_out.front().byte);
        m_out.pop_front();
    }
    if (!due.isEmpty()) {
        const char* p = due.constData();
        qsizetype left = due.size();
        while (left > 0) {
            const ssize_t n = ::write(m_master, p, static_cast<size_t>(left));
            if (n <= 0)
                break;  // nobody reads; the bytes are lost, as on a line
            p += n;
            left -= n;
            bytesSent += n;
        }
    }
    if (!m_out.empty()) {
        const qint64 waitNs = m_out.front().dueNs - m_clock.nsecsElapsed();
        m_timer.start(static_cast<int>(std::max<qint64>(0, (waitNs + 999'999) / 1'000'000)));
    }
}

} // namespace peltro::sim
