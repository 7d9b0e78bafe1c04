#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>

namespace peltro {

class RefreshMachine;

// A window's hold on auto refresh: from its creation to its destruction (or
// release()) the refresh timer does not run, whatever the replies of the
// window's commands resume. At the end the closing rule applies.
class RefreshHold {
public:
    enum class Closing {
        ResumeIfAuto,     // auto refresh runs again at 2000 ms when it is on
        StopIfAlarm,      // as ResumeIfAuto, but stops when the alarm is on
        Stop,             // auto refresh stops: refreshing is left to the operator
    };
    RefreshHold() = default;
    RefreshHold(RefreshHold&& other) noexcept;
    RefreshHold& operator=(RefreshHold&& other) noexcept;
    RefreshHold(const RefreshHold&) = delete;
    RefreshHold& operator=(const RefreshHold&) = delete;
    ~RefreshHold();

    bool isHeld() const { return m_machine != nullptr; }
    // The rule that applies when the hold ends; by default the one it was
    // taken with.
    void setClosing(Closing closing) { m_closing = closing; }
    // Ends the hold now; later calls and the destructor do nothing.
    void release();

private:
    friend class RefreshMachine;
    RefreshHold(RefreshMachine& machine, Closing closing, bool greysToggle);
    RefreshMachine* m_machine = nullptr;
    Closing m_closing = Closing::ResumeIfAuto;
    bool m_greys = true;
};

// Auto refresh: the timer that runs the status read (Timer1), its interval,
// and whether the operator's "Auto"/"Stop" toggle and "Refresh Once" can be
// used. Events of the panel and the chain drive it; windows hold it with a
// RefreshHold. It holds no widget: the panel shows caption() and the two
// enabled states, and asks the operator when readErrorWarning() says so.
//
// The operator's choice is "Auto" (running, or suspended while a command is
// out) or "Stop". On top of it:
//  - a skip count: reads that return at once (after a preset, a power-on);
//  - the one delayed read: with auto refresh off, a slow command arms one
//    read that follows its finishing reply after a given interval;
//  - a pause while the operator holds a slider;
//  - holds of windows, of start-up and of a lost port.
class RefreshMachine final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption NOTIFY changed)
    Q_PROPERTY(bool toggleEnabled READ toggleEnabled NOTIFY changed)
    Q_PROPERTY(bool refreshOnceEnabled READ refreshOnceEnabled NOTIFY changed)
public:
    static constexpr int kInterval = 2000;

    explicit RefreshMachine(QObject* parent = nullptr);

    // The refresh timer, "Timer1".
    QTimer& timer() { return m_timer; }
    const QTimer& timer() const { return m_timer; }

    // "Auto": auto refresh is on, running or suspended.
    bool isAuto() const { return m_mode != Mode::Stopped; }
    bool isSuspended() const { return m_mode == Mode::Suspended; }
    int skipCount() const { return m_skip; }
    bool delayedReadArmed() const { return m_delayedArmed; }
    // "Auto" or "Stop"; whether the toggle and "Refresh Once" can be used.
    QString caption() const;
    bool toggleEnabled() const;
    bool refreshOnceEnabled() const;

    // The operator's toggle: "Stop" -> "Auto" -> "Stop".
    void toggleAuto();

    // --- events of a command ---
    // An operator command goes out (or is refused for a running read), or a
    // reply showed that it is still under way: auto refresh is suspended.
    void commandGoing();
    // A reply ended the command in flight.
    void commandFinished();
    // A preset operation ended: two ticks are skipped, then as commandFinished.
    void presetEnded();
    // Commands that need the camera to settle. With auto refresh off, one
    // read follows the command's finishing reply after intervalMs; with it
    // on, nothing changes.
    void readOnceAfter(int intervalMs);
    void forgetDelayedRead();
    // Powering a camera on: it takes a while to come up. With auto refresh on
    // the next reads are skipped (more for a slow starter); off, one read
    // follows the command's completion after the start-up time.
    void powerOn(bool slowStarter);

    // --- events of the status read ---
    // A read is due (a tick, "Refresh Once", a command's own read): false
    // when it is to be skipped (the skip count goes down by one); true uses
    // up the one delayed read.
    bool admitRead();
    // "Refresh Once" while a preset runs: one more read is skipped after it.
    void skipOneMore();
    // A read found no answer: auto refresh stops at once and
    // readErrorWarning() is emitted, once until errorWarningClosed().
    void readFailed();
    void errorWarningClosed();
    // The camera reports its alarm detection on: auto refresh stops.
    void alarmDetected();
    // Whether the alarm is on, as last read or set: decides the windows'
    // StopIfAlarm closing.
    void setAlarmOn(bool on) { m_alarmOn = on; }
    // The camera has no status blocks: nothing for "Refresh Once".
    void noStatusBlocks();

    // --- the operator holds a slider: no read may move it under the hand ---
    void sliderPressed();
    // resume: the release brings the timer back.
    void sliderReleased(bool resume);

    // --- holds ---
    // A window that must not see a status read; greysToggle: the toggle is
    // greyed while the hold lasts.
    RefreshHold holdForWindow(RefreshHold::Closing closing, bool greysToggle = true);
    // The link is lost: no read is due until it is back, whatever the
    // operator's choice, which stays as it was and counts again then.
    void setLinkLost(bool lost);
    // Start-up keeps the timer off until it has read the camera once, and
    // leaves auto refresh stopped.
    void startupBegins();
    void startupEnds();

Q_SIGNALS:
    // A tick of the timer: the status read is due.
    void readDue();
    // caption, toggleEnabled or refreshOnceEnabled may have changed.
    void changed();
    // "Refresh Action Error": the operator is to be told once.
    void readErrorWarning();

private:
    friend class RefreshHold;
    enum class Mode { Stopped, Running, Suspended };
    void setMode(Mode mode);
    void apply();
    void releaseWindow(RefreshHold::Closing closing, bool greys);

    QTimer m_timer;
    Mode m_mode = Mode::Stopped;
    int m_interval = kInterval;
    std::uint8_t m_skip = 0;
    bool m_delayedArmed = false;   // a command armed the one delayed read
    bool m_delayedDue = false;     // ... and has finished: the timer runs for it
    bool m_paused = false;
    int m_windowHolds = 0;
    int m_greyingHolds = 0;
    bool m_linkLost = false;
    bool m_startup = false;
    bool m_nothingToRead = false;
    bool m_errorShown = false;
    bool m_alarmOn = false;
    QString m_caption;
    bool m_toggleEnabled = true;
    bool m_refreshOnceEnabled = true;
};

} // namespace peltro
