#pragma once

#include "clock.h"
#include "port_object.h"
#include "sim_chain.h"

#include <QTimer>
#include <deque>

namespace peltro::sim {

// The port object over an in-process simulated chain. The chain hangs on one
// Com number at one speed; any other port or speed reaches nothing, like a
// wrong port or speed with a real camera. Time comes from the clock, so tests
// can run the chain in virtual time.
class SimPort final : public PortObject {
    Q_OBJECT
public:
    SimPort(SimChain& chain, Clock& clock, QObject* parent = nullptr);

    int chainComPort = 1;
    int chainBaud = 9600;
    bool pace = false;  // bytes take ten bit times each on the line

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    int inBufferCount() override;
    QByteArray read() override;
    bool write(const QByteArray& bytes) override;
    bool waitForReadyRead(int msecs) override;
    QString deviceName(int commPort) const override;

    // Moves bytes whose time has come into the input buffer.
    void deliverDue();
    // When the next byte on its way reaches the input buffer, in the clock's
    // seconds; a negative number when none is on its way.
    double nextArrival() const { return m_pending.empty() ? -1.0 : m_pending.front().due; }
    // A camera of the chain sends its network-change notice now.
    void injectNetworkChange(int position);
    // Puts raw bytes on the line from the chain's side now.
    void injectFromChain(const QByteArray& bytes);

    // The adapter is pulled out: an open port is lost, and nothing opens
    // until it is put back in, which a lost port hears of at once.
    void pull();
    void putBack();
    bool present() const { return m_present; }
    // The adapter comes out as the panel writes its pullAtWrite-th packet
    // (counted in writes), which then never reaches the chain; 0: never.
    int pullAtWrite = 0;

    SimChain& chain() { return m_chain; }
    // Every byte the panel wrote, in order, and each write on its own.
    QByteArray written;
    QList<QByteArray> writes;

private:
    bool connected() const;
    void schedule(double at, const QByteArray& bytes);
    void armTimer();

    struct Pending {
        double due;
        char byte;
    };
    SimChain& m_chain;
    Clock& m_clock;
    bool m_open = false;
    bool m_present = true;
    QByteArray m_in;
    std::deque<Pending> m_pending;
    double m_lineFreeAt = 0.0;
    QTimer m_timer;
};

} // namespace peltro::sim
