#pragma once

#include "clock.h"
#include "packet.h"
#include "port_object.h"
#include "reply_patterns.h"
#include "traffic_log.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
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

    // Collects count bytes of the answer to the packet sent last (noise
    // before its source byte skipped) for at most kReplyLimit seconds, and
    // calls done once: with the answer, or with a filler 00 01 02 ... when it
    // did not come. At once when the bytes are there already or the port is
    // lost; otherwise from the event loop, which the wait never blocks.
    void awaitReply(int count, std::function<void(const QByteArray&)> done);
    // Gives a reply wait up without calling it back.
    void cancelReply();
    bool replyAwaited() const { return bool(m_reply.done); }
    // Whether the last reply wait ran out of time and answered with the filler.
    bool lastWaitTimedOut() const { return m_lastWaitTimedOut; }
    // Before a silent inquiry: calls done once an answer that missed an
    // earlier inquiry's second can no longer be taken for this one's (at
    // once when none may come), draining the input meanwhile.
    void awaitClearFor(const Packet& next, std::function<void()> done);
    void cancelClear();
    static constexpr double kReplyLimit = 1.0;
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
    // While lost: how long until the port tries again on purpose (0: as soon
    // as it can).
    int retryInMs() const { return m_port.retryInMs(); }
    // The port is open but passes nothing back (a stalled device server):
    // operator commands are refused like on a lost port, so that none waits
    // somewhere on the way to reach a camera late; a motion's stop still goes.
    // Silent exchanges still go.
    void setHeldBack(bool held) { m_heldBack = held; }
    bool heldBack() const { return m_heldBack; }
    // When a byte last went out and last came in (clock seconds; -1 never).
    double lastWrittenAt() const { return m_lastWrittenAt; }
    double lastReceivedAt() const { return m_lastReceivedAt; }
    bool overNetwork() const;
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
    void readLeftovers();
    void collectReply();
    void finishReply(bool answered);
    void finishClear();

    PortObject& m_port;
    Clock& m_clock;
    TrafficLog m_traffic;

    bool m_echo = false;               // traffic is echoed into the history boxes
    bool m_replyPending = false;       // a packet left and no 0xFF came back yet
    bool m_terminatorReceived = false;
    bool m_exchangeRunning = false;
    bool m_heldBack = false;
    double m_lastWrittenAt = -1.0;
    double m_lastReceivedAt = -1.0;

    bool m_replyReadBusy = false;
    bool m_stopwatchArmed = false;
    double m_stopwatchStart = 0.0;
    bool m_lastWaitTimedOut = false;
    int m_expectedSource = 0;       // first byte of the answer to the last packet; 0 unknown

    struct ReplyWait {
        int count = 0;
        QByteArray got;
        std::function<void(const QByteArray&)> done;
    };
    ReplyWait m_reply;
    ClockTimer m_replyDeadline;
    std::function<void()> m_clearDone;
    ClockTimer m_clearDeadline;

    QByteArray m_lastSilent;        // the last silent packet and when it left
    double m_lastSilentAt = 0.0;
    bool m_lateAnswers = false;     // a wait ran out: its answer may still come
    QByteArray m_timedOut;          // the packet whose answer did not come
    double m_lateUntil = 0.0;
};

} // namespace peltro
