#pragma once

#include "refresh_controller.h"

#include <QByteArray>
#include <QList>
#include <QMargins>
#include <QPoint>
#include <QString>

class QWidget;

namespace peltro {

class FrmMain;
class Link;
class TrafficLog;

// What a modal window that must not see a status read does to the main
// window's timers: auto refresh is held from the window's opening until its
// own closing rule, whatever the replies to its commands resume; the docking
// check (Timer2) is stopped meanwhile where the window asks for it, and it
// runs again at the closing if it ran before.
class WindowHold {
public:
    WindowHold(FrmMain& main, bool stopDocking);
    WindowHold(const WindowHold&) = delete;
    WindowHold& operator=(const WindowHold&) = delete;

    // The window's closing rule; the alarm flag is the panel state's. Once:
    // later calls do nothing.
    void release(RefreshController::Closing closing);

private:
    FrmMain& m_main;
    bool m_dockingWasActive = false;
    bool m_released = false;
};

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

// Appends a packet to a window's own log in the format of the command history.
void logPacket(TrafficLog& log, const QByteArray& packet);

// The send of a window with a packet log of its own: an operator command
// through the link, written into the log when it went out. "OK" or "NG".
QString sendLogged(FrmMain& main, TrafficLog& log, const QList<int>& packet);

// After a window's silent exchanges: the receive handler takes over again
// (echo on, receive notifications on), as after a status read.
void resumeReceiving(Link& link);

} // namespace peltro
