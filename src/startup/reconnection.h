#pragma once

#include <QObject>
#include <QTimer>

class QLabel;

namespace peltro {

class FrmMain;
class Maintenance;

// Keeps the operator told about the port. A port that fails (adapter pulled
// out, connection dropped) is shown at once on the main window's status line
// with the device and the reason, and auto refresh waits; what the operator
// asks for meanwhile is refused there in the same words. When the device is
// back under the same name the panel reopens it by itself, clears the
// cameras' interfaces, sets their addresses and reads the status again, as
// start-up does, and says so.
//
// A status line rather than a message box: the state changes by itself
// (a box about a loss would still stand after the return, and would block the
// panel while it reconnects), and the line always shows the current one.
class Reconnection final : public QObject {
    Q_OBJECT
public:
    // How long the interface clear has to come back around the chain.
    int interfaceClearWaitMs = 1000;
    // How long the words of a finished reconnection stay up.
    static constexpr int kBackShownMs = 15000;

    Reconnection(FrmMain& main, Maintenance& maintenance, QObject* parent = nullptr);

    // The port is lost or being brought back.
    bool isDown() const { return m_down; }
    // The status line's words: "LinkState" on the main window's status bar.
    QLabel* linkState() const { return m_state; }

private:
    enum class Tone { Alarm, Busy, Good };
    void onLost();
    void onMayBeBack();
    void onRefused(const QString& reason);
    void afterInterfaceClear(bool answered);
    bool lostAgain();
    void say(const QString& text, Tone tone);
    // Shows the status line (at the height its text needs) or hides it.
    void fitBar(bool shown);

    FrmMain& m;
    Maintenance& m_maintenance;
    QLabel* m_state = nullptr;
    bool m_down = false;
    bool m_recovering = false;
    QTimer m_clearWait;
    QTimer m_hide;
    QList<QMetaObject::Connection> m_clearFinish;
};

} // namespace peltro
