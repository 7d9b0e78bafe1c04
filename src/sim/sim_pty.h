#pragma once

#include "sim_chain.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <atomic>
#include <deque>

namespace peltro::sim {

// Serves a simulated chain on a pseudo-terminal, for any program that speaks
// to a serial port. The terminal is raw: every byte passes unchanged.
class PtyServer final : public QObject {
    Q_OBJECT
public:
    explicit PtyServer(SimChain& chain, QObject* parent = nullptr);
    ~PtyServer() override;

    // Opens the pseudo-terminal; on failure returns false with the reason.
    bool start(QString* error);
    QString devicePath() const { return m_path; }

    bool pace = false;   // bytes leave at the line speed
    bool log = false;    // print every packet received and every answer on stdout
    int baud = 9600;

    // Bytes that crossed the line each way, for measurements.
    std::atomic<qint64> bytesReceived{0};
    std::atomic<qint64> bytesSent{0};

    // A camera sends its network-change notice now.
    void sendNetworkChange(int position);

private:
    void onReadable();
    void send(double at, const QByteArray& bytes);
    void flushDue();

    SimChain& m_chain;
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QSocketNotifier* m_notifier = nullptr;
    QElapsedTimer m_clock;
    struct Pending {
        qint64 dueNs;
        char byte;
    };
    std::deque<Pending> m_out;
    qint64 m_lineFreeNs = 0;
    QTimer m_timer;
};

} // namespace peltro::sim
