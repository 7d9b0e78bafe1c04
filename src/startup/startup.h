#pragma once

#include "panel_settings.h"
#include "startup_windows.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <functional>

namespace peltro {

class FrmMain;

// What start-up hands over to the parts of the panel built on top of it.
struct StartupHooks {
    std::function<void()> buildLabelTables;
    // advance moves the progress bar one step.
    std::function<void(const QByteArray& versionAnswer, const std::function<void()>& advance)> identifyModel;
    std::function<void()> readCameraStatus;
    std::function<void()> showPanTiltWindow;
    // Ends the program (after shutdown has saved, or at once).
    std::function<void()> endProgram;
};

// The start-up sequence of the main window and its shutdown: finds a working
// link (asking for port and speed while the interface check fails), assigns
// addresses, checks the version, restores the placement, reads the status and
// shows the main window. Closing the main window saves the settings.
class Startup final : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxAttempts = 7;

    Startup(FrmMain& main, PanelSettings& settings, StartupHooks hooks, QObject* parent = nullptr);
    ~Startup() override;

    // Runs the whole sequence. False when the operator closed the Com Setting
    // dialog instead of confirming it: the program is to end, saving nothing.
    bool run();

    FrmInfo* info() const { return m_info; }
    FrmOpen* comSetting() const { return m_open; }

    void saveAndEnd();

private:
    bool configurePort();  // false when the port did not open
    bool interfaceCheck();
    bool setcom();
    void waitOneSecond(const QString& pollText);
    void addressAssignment();
    void versionCheck();
    void applyPlacement(const Placement& p);

    FrmMain& m_main;
    PanelSettings& m_settings;
    StartupHooks m_hooks;
    QPointer<FrmInfo> m_info;
    QPointer<FrmOpen> m_open;
    bool m_aborted = false;
};

} // namespace peltro
