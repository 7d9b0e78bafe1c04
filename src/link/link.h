#pragma once

#include "clock.h"
#include "panel_state.h"
#include "port_object.h"
#include "traffic_log.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

namespace peltro {

// The byte pipe between the panel and the camera chain: sending in the three
// modes, the receive handler with its echo, the blocking reply read, and the
// recognition of the replies that end a command.
//
// The link holds no widget. What it recognises leaves it as signals, emitted
// synchronously at the moment the panel must act on them: the refresh owner
// suspends auto refresh on commandGoing() and commandPending(), resumes it on
// commandFinished() and presetFinished(); the window tells the operator of a
// networkChange().
class Link final : public QObject {
    Q_OBJECT
public:
    Link(PanelState& state, PortObject& port, Clock& clock, QObject* parent = nullptr);

    // Values 0..255 to bytes. A value outside one byte refuses the whole
    // packet (empty result), which SD then refuses to send.
    static QByteArray VarArrayToBytes(const QList<int>& values);

    // Mode 1: operator command (suspends auto refresh, refused during a status
    // read, echoed, replies through the receive handler). Mode 2: the same but
    // the caller reads the reply. Mode 0: silent exchange, caller reads.
    QString SD(const QByteArray& packet, int mode);
    QString SendDirect(const QString& hexText);
    // The send of an auxiliary window that keeps its own log: an operator
    // command like SD in mode 1 (refused while a status read runs, auto
    // refresh suspended until it finishes, replies recognised), but not
    // written into the main window's history.
    QString sendForWindow(const QByteArray& packet);

    // Waits at most one second, without returning to the event loop, for
    // count bytes; a filler 00 01 02 ... when they do not come.
    QByteArray WaitReply(int count);
    // Whether the last WaitReply ran out of time and answered with the filler.
    bool lastWaitTimedOut() const { return m_lastWaitTimedOut; }
    // One-shot stopwatch: arms on the first call, true once limit seconds
    // have passed (then disarmed); a limit <= 0 disarms.
    bool WaitCheck(double limit);

    bool CheckFinishCommand();
    bool RefreshNotGoCheck() const { return !m_state.statusReadBusy; }

    // The port has failed (adapter pulled out, connection dropped) and not
    // been reopened: nothing is sent and no answer is waited for.
    bool portLost() const { return m_port.isLost(); }
    // For what the operator asked: true (and refused() with the reason) when
    // the port is lost.
    bool refuseIfLost();

    // A preset operation of kind (0 set, 1 recall, 2 reset) and number is
    // about to send its packet. From now on it ends at its own completion
    // (the one on the socket of the first acknowledge that follows) or at an
    // error, whatever earlier replies the response box still shows.
    void startPreset(int kind, int number);
    // A preset operation that has not ended after this long is given up: a
    // camera that was unplugged or a reply that was lost would otherwise keep
    // the preset buttons refusing every click.
    static constexpr double kPresetLimit = 20.0;
    // Gives the running preset operation up when kPresetLimit has passed
    // since it started: presetAbandoned() and then presetFinished() are
    // emitted. True when it did.
    bool expireOverduePreset();

    // The receive handler's per-byte work, also used by callers that read a
    // reply themselves but want it echoed and recognised.
    void handleReceived(const QByteArray& bytes);

    // Discards every byte waiting in the input buffer.
    void flushInput();

    PortObject& port() { return m_port; }
    Clock& clock() { return m_clock; }
    PanelState& state() { return m_state; }
    TrafficLog& traffic() { return m_traffic; }

    static QString hexBytes(const QByteArray& bytes);  // "81 01 FF "

Q_SIGNALS:
    // An operator command is about to go out (or to be refused for a
    // running status read): auto refresh is to be suspended.
    void commandGoing();
    // A reply showed that a command is still under way (a lone acknowledge,
    // or a preset that has not ended yet): auto refresh stays suspended.
    void commandPending();
    // A reply ended the command in flight.
    void commandFinished();
    // The preset operation of kind (0 set, 1 recall, 2 reset) and number
    // has ended; commandFinished() is not emitted for it.
    void presetFinished(int kind, int number);
    // The preset operation was given up: the camera did not end it in time.
    void presetAbandoned(int kind, int number);
    // A camera announced a change of the network.
    void networkChange();
    // What the operator asked for was not sent: the port is lost, for reason.
    void refused(const QString& reason);
    // Every byte that crosses the line through the link, as it goes out or
    // is taken from the port (whether it is shown, used or discarded).
    void wrote(const QByteArray& bytes);
    void received(const QByteArray& bytes);

public:
    // How long after a silent inquiry a late answer may still come: an
    // answer that misses its one-second wait is drained before another
    // inquiry goes out, so it is never taken for that inquiry's answer.
    static constexpr double kLateAnswerWindow = 2.0;

private:
    void onComEvent(int code);
    void echoSent(const QByteArray& packet);
    bool writePort(const QByteArray& bytes);
    QByteArray readPort();
    void drainLateAnswers(const QByteArray& next);
    bool checkPresetReply(const QString& window);
    void endPreset();

    PanelState& m_state;
    PortObject& m_port;
    Clock& m_clock;
    TrafficLog m_traffic;

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

    double m_presetStarted = 0.0;   // when the running preset operation started
    QTimer m_presetWatch;           // gives it up when it runs too long
};

} // namespace peltro
