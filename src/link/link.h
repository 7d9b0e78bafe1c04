#pragma once

#include "clock.h"
#include "packet.h"
#include "port_object.h"
#include "reply_patterns.h"
#include "traffic_log.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

namespace peltro {

// What became of a send.
enum class SendResult {
    Sent,
    RefusedBusy,        // a status read (or another exchange) holds the line
    RefusedLinkLost,    // the port has failed and is not back
    RefusedMalformed,   // the values do not make a packet: nothing went out
    WriteFailed,        // the port did not take the bytes
};
// "OK" for a packet that went out, "NG" otherwise: the send procedures' words.
QString resultText(SendResult result);

// The send modes: silent exchanges whose answer the caller reads, operator
// commands whose replies the receive handler echoes and recognises, and the
// address set, echoed but read by the caller.
enum class SendMode { Silent = 0, Command = 1, ReadBack = 2 };

// A finishing or otherwise telling reply has just ended (its 0xFF came):
// what the response box now shows, for whoever decides what it ends.
struct ReplyEnd {
    bool finishing = false;       // a completion, error, answer or returned broadcast shows
    bool acknowledge = false;     // an acknowledge shows
    bool networkChange = false;   // a network-change notice shows
    std::optional<NewestReply> newest;   // the reply that has just ended, when it is a whole one
};

// The byte pipe between the panel and the camera chain: sending in the three
// modes, the receive handler with its echo into the traffic log, the blocking
// reply read, and the recognition of the replies that end a command. It hands
// out neither its port nor any panel state: what the port does (open, close,
// describe) goes through it, and what it recognises leaves it as signals,
// emitted synchronously at the moment the panel must act on them.
class Link final : public QObject {
    Q_OBJECT
public:
    Link(PortObject& port, Clock& clock, QObject* parent = nullptr);

    // Sends a packet in a mode. Command and ReadBack announce commandGoing()
    // (auto refresh is suspended) and are refused while an exchange runs;
    // nothing goes to a lost port, and an invalid packet never reaches the line.
    SendResult SD(const Packet& packet, SendMode mode);
    // The send of an auxiliary window that keeps its own log: an operator
    // command like SD in Command mode but not written into the history.
    SendResult sendForWindow(const Packet& packet);
    // The direct console's hexadecimal text, byte by byte; whole pairs of
    // hexadecimal digits only.
    SendResult SendDirect(const QString& hexText);

    // Waits at most one second, without returning to the event loop, for
    // count bytes; a filler 00 01 02 ... when they do not come.
    QByteArray WaitReply(int count);
    // Whether the last WaitReply ran out of time and answered with the filler.
    bool lastWaitTimedOut() const { return m_lastWaitTimedOut; }
    // One-shot stopwatch: arms on the first call, true once limit seconds
    // have passed (then disarmed); a limit <= 0 disarms.
    bool WaitCheck(double limit);

    // An exchange (the status read) holds the line: operator commands are
    // refused meanwhile.
    void setExchangeRunning(bool running) { m_exchangeRunning = running; }
    bool RefreshNotGoCheck() const { return !m_exchangeRunning; }

    // The receive handler's per-byte work: echo and recognition. Also for a
    // reply a caller read itself but wants echoed and recognised.
    void handleReceived(const QByteArray& bytes);
    // An answer a window read itself: echoed like the receive handler
    // echoes (a time-out's filler never came over the line and is not shown),
    // but not taken for the end of a command.
    void echoAnswer(const QByteArray& answer);
    // After silent exchanges: the receive handler takes over again (echo on,
    // receive notifications on).
    void resumeReceiving();
    // Discards every byte waiting in the input buffer.
    void flushInput();
    bool CheckFinishCommand();

    // --- the port ---
    // Configures the port (a Com number and speed when chosen, DTR on) and
    // opens it, receive notifications off. False when it did not open.
    bool openPort(std::optional<int> comPort, const QString& speedText);
    // Opens the port again as it was (after a loss).
    bool reopenPort();
    void closePort();
    bool portLost() const { return m_port.isLost(); }
    bool portOpen() const { return m_port.isOpen(); }
    // For what the operator asked: true (and refused() with the reason)
    // when the port is lost.
    bool refuseIfLost();
    int commPort() const { return m_port.commPort(); }
    int baudRate() const { return m_port.baudRate(); }
    QString deviceName(int commPort) const { return m_port.deviceName(commPort); }
    QString currentDevice() const { return m_port.deviceName(m_port.commPort()); }
    ComDescription describe(int commPort) const { return m_port.describe(commPort); }
    QString portError() const { return m_port.lastError(); }
    // Seconds the bytes take on the line at the port's speed.
    double lineTime(int bytes) const { return bytes * 10.0 / qMax(1, m_port.baudRate()); }

    Clock& clock() { return m_clock; }
    TrafficLog& traffic() { return m_traffic; }
    bool echo() const { return m_echo; }
    // A packet left the port and no terminator came back yet; a terminator
    // came since the last send.
    bool replyPending() const { return m_replyPending; }
    bool terminatorReceived() const { return m_terminatorReceived; }

    static QString hexBytes(const QByteArray& bytes) { return peltro::hexBytes(bytes); }

    // How long after a silent inquiry a late answer may still come: an
    // answer that misses its one-second wait is drained before another
    // inquiry goes out, so it is never taken for that inquiry's answer.
    static constexpr double kLateAnswerWindow = 2.0;

Q_SIGNALS:
    // An operator command is about to go out (or to be refused for a
    // running exchange): auto refresh is to be suspended.
    void commandGoing();
    // A reply ended (its 0xFF was taken in), seen through the response box.
    void replyEnded(const ReplyEnd& end);
    // What the operator asked for was not sent: the port is lost, for reason.
    void refused(const QString& reason);
    // Every byte that crosses the line through the link, as it goes out or
    // is taken from the port (whether it is shown, used or discarded).
    void wrote(const QByteArray& bytes);
    void received(const QByteArray& bytes);
    // The port failed while open (once per loss), and, while lost, may be back.
    void lost(const QString& reason);
    void mayBeBack();

private:
    void onComEvent(int code);
    void echoSent(const QByteArray& packet);
    bool writePort(const QByteArray& bytes);
    QByteArray readPort();
    void drainLateAnswers(const QByteArray& next);

    PortObject& m_port;
    Clock& m_clock;
    TrafficLog m_traffic;

    bool m_echo = false;               // traffic is echoed into the history boxes
    bool m_replyPending = false;       // a packet left and no 0xFF came back yet
    bool m_terminatorReceived = false;
    bool m_exchangeRunning = false;

    bool m_replyReadBusy = false;
    bool m_stopwatchArmed = false;
    double m_stopwatchStart = 0.0;
    bool m_lastWaitTimedOut = false;
    int m_expectedSource = 0;       // first byte of the answer to the last packet; 0 unknown

    QByteArray m_lastSilent;        // the last silent packet and when it left
    double m_lastSilentAt = 0.0;
    bool m_lateAnswers = false;     // a wait ran out: its answer may still come
    QByteArray m_timedOut;          // the packet whose answer did not come
    double m_lateUntil = 0.0;
};

} // namespace peltro
