#pragma once

#include "job.h"
#include "power_off_packets.h"
#include "window_support.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace peltro {

struct WindowContext;

// "Auto Power Off" (FrmAutoPOff) and "Night Power Off" (FrmNightPOff): the
// camera's timer in minutes, read when the dialog loads and written on OK.
// Modal; no status read runs while it is open. Setting a timer leaves auto
// refresh off.
class FrmPowerOff final : public QDialog, public JobOwner {
    Q_OBJECT
public:
    // Holds auto refresh from here to the closing.
    FrmPowerOff(WindowContext& context, poweroff::Timer timer, HoldKind hold);

    // Reads the camera's timer into OffTimer (leaving it as it is when no
    // valid answer comes), places the dialog by the main window, shows it.
    void load(QPoint placement);

    QLineEdit* offTimer = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    Job readTimer();
    void OK_Click();
    void unload();

    WindowContext& m_ctx;
    poweroff::Timer m_timer;
    WindowHold m_hold;
    RefreshHold::Closing m_closing = RefreshHold::Closing::ResumeIfAuto;
};

// The main window's "Auto Power Off" and "Night Power Off" items. The night
// timer opens only under day & night detection with the day level above the
// night level; otherwise the operator is told why.
void openAutoPowerOff(WindowContext& context, HoldKind hold, QPoint placement);
// Reads the alarm settings first when they are not known (owner keeps that
// read), and opens the dialog only when the alarm allows the night timer.
Job openNightPowerOff(JobOwner& owner, WindowContext& context, HoldKind hold, QPoint placement);

} // namespace peltro
