#pragma once

#include "clock.h"
#include "panel_state.h"
#include "port_object.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QPushButton;
class QTimer;

namespace peltro {

class MessageService;
class TrafficText;

// The main window's controls the link reads and drives: the auto-refresh
// timer and buttons, and the two traffic boxes.
struct LinkControls {
    QTimer* timer1 = nullptr;
    QPushButton* autoRefreshed = nullptr;
    QPushButton* refreshOnce = nullptr;
    TrafficText* sendText = nullptr;
    TrafficText* recvText = nullptr;
};

// The byte pipe between the panel and the camera chain: sending in the three
// modes, the receive handler with its echo, the blocking reply read, and the
// recognition of replies that ends a command and resumes auto refresh.
class Link final : public QObject {
    Q_OBJECT
public:
    Link(PanelState& state, PortObject& port, Clock& clock, MessageService& messages,
         LinkControls controls, QObject* parent = nullptr);

    // Values 0..255 to bytes. A value outside one byte refuses the whole
    // packet (empty result), which SD then refuses to send.
    static QByteArray VarArrayToBytes(const QList<int>& values);

    // Mode 1: operator command (suspends auto refresh, refused during a status
    // read, echoed, replies through the receive handler). Mode 2: the same but
    // the caller reads the reply. Mode 0: silent exchange, caller reads.
    QString SD(const QByteArray& packet, int mode);
    QString SendDirect(const QString& hexText);

    // Waits at most one second, without returning to the event loop, for
    // count bytes; a filler 00 01 02 ... when they do not come.
    QByteArray WaitReply(int count);
    // Whether the last WaitReply ran out of time and answered with the filler.
    bool lastWaitTimedOut() const { return m_lastWaitTimedOut; }
    // One-shot stopwatch: arms on the first call, true once limit seconds
    // have passed (then disarmed); a limit <= 0 disarms.
    bool WaitCheck(double limit);

    bool CheckFinishCommand();
    void ARError();
    bool RefreshNotGoCheck() const { return !m_state.statusReadBusy; }

    // The receive handler's per-byte work, also used by callers that read a
    // reply themselves but want it echoed and recognised.
    void handleReceived(const QByteArray& bytes);
    void clearTraffic();

    // Discards every byte waiting in the input buffer.
    void flushInput();

    PortObject& port() { return m_port; }
    Clock& clock() { return m_clock; }
    PanelState& state() { return m_state; }
    const LinkControls& controls() const { return m_controls; }

    // Releases the option button of a finished preset operation (kind, number).
    std::function<void(int, int)> releasePreset;

    static QString hexBytes(const QByteArray& bytes);  // "81 01 FF "

private:
    void onComEvent(int code);
    bool autoCaptionIsAuto() const;
    void suspendAutoRefresh();
    void resumeAutoRefresh();
    void stopAutoRefresh();

    PanelState& m_state;
    PortObject& m_port;
    Clock& m_clock;
    MessageService& m_messages;
    LinkControls m_controls;

    bool m_replyReadBusy = false;
    bool m_stopwatchArmed = false;
    double m_stopwatchStart = 0.0;
    bool m_refreshErrorShown = false;
    bool m_lastWaitTimedOut = false;
};

} // namespace peltro
