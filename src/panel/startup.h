#pragma once

#include "job.h"
#include "panel_settings.h"
#include "startup_windows.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

namespace peltro {

class FrmMain;

// The start-up sequence of the main window and its shutdown: finds a working
// link (asking for port and speed while the interface check fails, and
// trying the chosen ones again by itself meanwhile), assigns addresses,
// checks the version, restores the placement, reads the status and shows the
// main window. Closing the main window saves the settings. The sequence waits
// for the cameras without blocking the event loop.
class Startup final : public QObject, public JobOwner {
    Q_OBJECT
public:
    static constexpr int kMaxAttempts = 7;
    // While the Com Setting dialog waits after a failed interface clear, the
    // port and speed last tried are tried again this often.
    static constexpr int kRetrySeconds = 5;

    Startup(FrmMain& main, PanelSettings& settings, PanTiltFlags& panTilt, QObject* parent = nullptr);
    ~Startup() override;

    // Starts the whole sequence; finished() tells how it ended.
    void start();
    bool running() const { return m_running; }

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
    // Start-up is over: shown is false when the operator closed the Com
    // Setting dialog instead of confirming it (the program is to end,
    // saving nothing).
    void finished(bool shown);
    // Shutdown has saved the settings: the program is to end.
    void ended();

private:
    Job run();
    Task<bool> interfaceCheck(bool& opened);
    // The Com Setting dialog's end: closed (the program ends), a port and
    // speed chosen (to be tried), or the one last tried answering when
    // tried again by itself.
    enum class ComOutcome { Closed, Chosen, Answered };
    Task<ComOutcome> setcom();
    Task<void> waitOneSecond(const QString& pollText);
    Task<void> addressAssignment();
    Task<void> versionCheck();
    void applyPlacement(const Placement& p);

    FrmMain& m_main;
    PanelSettings& m_settings;
    PanTiltFlags& m_panTilt;
    ComChoice m_com;
    bool m_portDialogDone = false;
    QPointer<FrmInfo> m_info;
    QPointer<FrmOpen> m_open;
    bool m_aborted = false;
    bool m_running = false;
};

} // namespace peltro
