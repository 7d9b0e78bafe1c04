#pragma once

#include "camera_session.h"
#include "packet.h"
#include "refresh_machine.h"

#include <QByteArray>
#include <QMargins>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QString>

class QWidget;

namespace peltro {

class MessageService;
class TrafficLog;

// What every window beside the main window works with: the camera session,
// the operator's message boxes, the main window as the parent of modal
// windows and the reference of placements, and the main window's docking
// timer (Timer2), which some modal windows stop while they are open.
struct WindowContext {
    CameraSession& session;
    MessageService& messages;
    QWidget& main;
    QTimer& dockTimer;
};

// What a modal window that must not see a status read does to the main
// window's timers: auto refresh is held from the window's opening until its
// own closing rule, whatever the replies to its commands resume; the docking
// check (Timer2) is stopped meanwhile where the window asks for it, and it
// runs again at the closing if it ran before.
// How a window holds the main window's timers while it is open.
enum class HoldKind {
    None,
    Refresh,             // auto refresh held, its toggle greyed; the docking check runs on
    RefreshAndDocking,   // as Refresh, and the docking check stopped
    TimersOnly,          // the refresh timer and the docking check stopped; the toggle left alone
};

class WindowHold {
public:
    WindowHold(WindowContext& context, HoldKind kind);
    WindowHold(const WindowHold&) = delete;
    WindowHold& operator=(const WindowHold&) = delete;
    ~WindowHold();

    // The window's closing rule (StopIfAlarm looks at the alarm settings as
    // they are then). Once: later calls do nothing.
    void release(RefreshHold::Closing closing);

private:
    CameraSession& m_session;
    QPointer<QTimer> m_dockTimer;
    RefreshHold m_refresh;
    bool m_dockingWasActive = false;
    bool m_released = false;
};

// Appends a packet to a window's own log in the format of the command history.
void logPacket(TrafficLog& log, const Packet& packet);

// The send of a window with a packet log of its own: an operator command
// through the session, written into the log when it went out.
SendResult sendLogged(CameraSession& session, TrafficLog& log, const Packet& packet);

// Places a window at an offset in twips from the main window's top-left
// corner, as far as the screen there lets it (placeOnScreen).
void placeBeside(QWidget& window, const QWidget& main, double leftTwips, double topTwips);

// The window system's frame around a window, as far as it is known (none
// before the window is first shown).
QMargins frameMargins(const QWidget& window);

// Moves a window of the panel so that its frame's corner is at at, or as
// near as keeps the whole window on the free area of the screen there. The
// window system's frame of a window not shown yet is taken to be like that
// of the window beside it (the main window, usually).
void placeOnScreen(QWidget& window, const QPoint& at, const QWidget& beside);

// Escape closes the window as it closes a dialog: the key reaches the window
// when the control that has the focus makes no use of it.
void closeOnEscape(QWidget& window);

} // namespace peltro
