#pragma once

#include "job.h"
#include "option_button.h"
#include "traffic_log.h"
#include "window_support.h"

#include <QDialog>
#include <array>
#include <optional>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace peltro {

struct WindowContext;
class TrafficText;

// "Alarm": the camera's alarm mode, detection on and off, the day and night
// AE levels with their read-back, and the alarm display, with a log of the
// packets the window sent. Modal; no status read runs while it is open.
class FrmMD final : public QDialog, public JobOwner {
    Q_OBJECT
public:
    // Holds auto refresh and the docking check from here to the closing.
    FrmMD(WindowContext& context, HoldKind hold);

    // Fills the controls from the alarm settings, places the window by the
    // main window (an offset in twips) and shows it.
    void load(QPoint placement);
    // Reads the camera's alarm settings first when detection is on and they
    // are not known, then loads.
    Job open(QPoint placement);

    // "Set Alarm Mode"
    QComboBox* comboSetMD = nullptr;
    QPushButton* comSetMD = nullptr;
    QPushButton* cmdsetMDinq = nullptr;
    // "Alarm Detect"
    OptionButton* opMDon = nullptr;
    OptionButton* opMDoff = nullptr;
    QPushButton* cmdMDstart = nullptr;
    QPushButton* cmdMDSSunq = nullptr;
    // "Set Day/Night AE Level"
    QLineEdit* txtMDday = nullptr;
    QLineEdit* txtMDnight = nullptr;
    QPushButton* cmdsetMDtime = nullptr;
    QPushButton* cmdLevelInq = nullptr;
    QLineEdit* txtMDdayR = nullptr;
    QLineEdit* txtMDnightR = nullptr;
    QLineEdit* txtMDc = nullptr;
    // "Now Value Set"
    QGroupBox* frame1 = nullptr;
    std::array<QPushButton*, 2> command1{};
    QPushButton* cmdDisplay = nullptr;
    QPushButton* cmdMDdisplayOFF = nullptr;
    QPushButton* cmdClose = nullptr;
    TrafficText* txtMD = nullptr;

    const TrafficLog& log() const { return m_log; }

private:
    void build();
    void comSetMD_Click();
    Job cmdsetMDinq_Click();
    void cmdMDstart_Click();
    Job cmdMDSSunq_Click();
    void cmdsetMDtime_Click();
    Job cmdLevelInq_Click();
    void command1_Click(int index);
    void sendDetect(bool on);
    void unload();

    SendResult send(const Packet& packet);
    // The answer of count bytes to a silent inquiry; none when the link is
    // lost and nothing went out.
    Task<std::optional<QByteArray>> inquire(Packet inquiry, int count);
    void noValidAnswer();
    void refuse(const QString& text);

    WindowContext& m_ctx;
    TrafficLog m_log;
    WindowHold m_hold;
    OptionGroup m_detect;
};

// The main window's "Alarm" entry opens the window, after reading the
// camera's alarm settings when detection is on and they are not known.
void openAlarmWindow(WindowContext& context, HoldKind hold, QPoint placement);

} // namespace peltro
