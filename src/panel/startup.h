#pragma once

#include "panel_settings.h"
#include "startup_windows.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

namespace peltro {

class FrmMain;

// The start-up sequence of the main window and its shutdown: finds a working
// link (asking for port and speed while the interface check fails), assigns
// addresses, checks the version, restores the placement, reads the status and
// shows the main window. Closing the main window saves the settings.
class Startup final : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxAttempts = 7;

    Startup(FrmMain& main, PanelSettings& settings, PanTiltFlags& panTilt, QObject* parent = nullptr);
    ~Startup() override;

    // Runs the whole sequence. False when the operator closed the Com Setting
    // dialog instead of confirming it: the program is to end, saving nothing.
    bool run();

    FrmInfo* info() const { return m_info; }
    FrmOpen* comSetting() const { return m_open; }

    void saveAndEnd();
    // Tools > "Com Setting...": the same dialog once the panel runs. OK
    // reopens the link on the port and speed chosen, as after a
    // reconnection; Cancel changes nothing.
    void openComSetting();
    // The Com and speed chosen in the Com Setting dialog.
    const ComChoice& comChoice() const { return m_com; }

Q_SIGNALS:
    // The main window is shown at the end of start-up.
    void mainShown();
    // Shutdown has saved the settings: the program is to end.
    void ended();

private:
    bool interfaceCheck(bool& opened);
    bool setcom();
    void waitOneSecond(const QString& pollText);
    void addressAssignment();
    void versionCheck();
    void onConfirmed();
    void applyPlacement(const Placement& p);

    FrmMain& m_main;
    PanelSettings& m_settings;
    PanTiltFlags& m_panTilt;
    ComChoice m_com;
    bool m_portDialogDone = false;
    QPointer<FrmInfo> m_info;
    QPointer<FrmOpen> m_open;
    bool m_aborted = false;
};

} // namespace peltro
