#pragma once

#include "traffic_log.h"
#include "window_support.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace peltro {

struct WindowContext;
class TrafficText;

// "AE SPOT": spot exposure on and off, and the spot's place on a 16 x 16
// grid drawn for reference, with a log of the packets the window sent.
// Modal; no status read runs while it is open.
class FrmAES final : public QDialog {
    Q_OBJECT
public:
    // Holds auto refresh and the docking check from here to the closing.
    FrmAES(WindowContext& context, HoldKind hold);

    QPushButton* aeSpotOn = nullptr;
    QPushButton* aeSpotOff = nullptr;
    QLineEdit* aeSpotPosX = nullptr;
    QLineEdit* aeSpotPosY = nullptr;
    QPushButton* aeSpotSet = nullptr;
    TrafficText* aeSpot = nullptr;
    QWidget* grid = nullptr;

    const TrafficLog& log() const { return m_log; }

private:
    void AESpotSet_Click();

    WindowContext& m_ctx;
    TrafficLog m_log;
    WindowHold m_hold;
};

// The main window's "AE SPOT" entry opens the window.
void openAESpotWindow(WindowContext& context, HoldKind hold, QPoint placement);

} // namespace peltro
