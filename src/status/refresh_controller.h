#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>

class QPushButton;
class QTimer;

namespace peltro {

class Link;
class MessageService;

// The one owner of auto refresh: the timer that runs the status read
// (Timer1), its interval, and the captions and enabled states of the
// AutoRefreshed and RefreshOnce buttons. Everything that pauses, resumes,
// skips or re-arms the status read asks for it here by name.
//
// The operator's choice is "Auto" (running, or suspended while a command is
// out) or "Stop". On top of it:
//  - a skip count: reads that return at once (after a preset, a power-on);
//  - the one delayed read: with auto refresh off, a slow command arms one
//    read that follows its finishing reply after a given interval;
//  - a pause: the timer is off while the operator drags a slider;
//  - window holds: while a window that must not see a status read is open,
//    the timer never runs, whatever the replies of its commands resume.
class RefreshController final : public QObject {
    Q_OBJECT
public:
    static constexpr int kInterval = 2000;

    RefreshController(QTimer& timer1, QPushButton& autoRefreshed, QPushButton& refreshOnce, Link& link,
                      MessageService& messages, QObject* parent = nullptr);

    // "Auto": auto refresh is on, running or suspended.
    bool isAuto() const { return m_mode != Mode::Stopped; }
    bool isSuspended() const { return m_mode == Mode::Suspended; }
    int skipCount() const { return m_skip; }
    bool delayedReadArmed() const { return m_delayedArmed; }

    // The AutoRefreshed button: "Stop" -> "Auto" -> "Stop".
    void toggleAuto();

    // Around an operator command (the link's signals).
    void suspendForCommand();
    void resumeAfterCommand();
    // A preset operation has ended: two ticks are skipped, then as above.
    void resumeAfterPreset();

    // The status read's entry: true when this read is to be skipped (the
    // count goes down by one). beginRead() then uses up the delayed read.
    bool takeSkip();
    void beginRead();
    void skipTicks(int count);
    void skipOneMore();

    // A read found no answer: auto refresh stops at once and the operator is
    // told, once however many reads fail before the answer.
    void ARError();
    // The camera reports its alarm detection on: auto refresh stops.
    void stopForAlarm();
    // A camera model without status blocks: nothing for "Refresh Once".
    void noStatusToRead();

    // Commands that need the camera to settle. With auto refresh off, one
    // read follows the command's finishing reply after intervalMs; with it
    // on, nothing changes.
    void readOnceAfterCommand(int intervalMs);
    // With auto refresh on: suspended, and the next count ticks skipped.
    void suspendAndSkip(int count);
    void forgetDelayedRead();

    // The operator holds a slider: no read may move it under the hand.
    void pauseForSlider();
    // The slider's release when it brings the timer back.
    void resumeAfterSlider();

    // A modal window that must not see a status read opens and closes.
    enum class Closing {
        ResumeIfAuto,     // auto refresh runs again at 2000 ms when it is on
        StopIfAlarm,      // as ResumeIfAuto, but stops when the alarm is on
        Stop,             // auto refresh stops: refreshing is left to the operator
    };
    void holdForWindow();
    void releaseWindow(Closing closing, bool alarmOn = false);

    // The port is lost: no read is due until it is back, whatever the
    // operator's choice, which stays as it was and counts again then.
    void holdForLostPort();
    void releaseLostPort();

    // Start-up keeps the timer off until it has read the camera once, and
    // leaves auto refresh stopped.
    void holdForStartup();
    void finishStartup();

Q_SIGNALS:
    // A tick of the timer: the status read is due.
    void readDue();

private:
    enum class Mode { Stopped, Running, Suspended };
    void setMode(Mode mode);
    void apply();

    QTimer& m_timer;
    QPushButton& m_autoRefreshed;
    QPushButton& m_refreshOnce;
    Link& m_link;
    MessageService& m_messages;

    Mode m_mode = Mode::Stopped;
    int m_interval = kInterval;
    std::uint8_t m_skip = 0;
    bool m_delayedArmed = false;   // a command armed the one delayed read
    bool m_delayedDue = false;     // ... and has finished: the timer runs for it
    bool m_paused = false;
    int m_windowHolds = 0;
    bool m_portLost = false;
    bool m_startup = false;
    bool m_nothingToRead = false;
    bool m_errorShown = false;
};

} // namespace peltro
