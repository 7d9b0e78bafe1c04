#pragma once

#include "job.h"
#include "traffic_log.h"
#include "window_support.h"

#include <QList>
#include <QWidget>
#include <array>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace peltro {

struct WindowContext;
class TrafficText;

// "Factory Set": the service window of the block cameras. It changes the
// camera's serial speed through its setting memory, reads and writes that
// memory directly, and keeps its own log of the packets it sends.
class FSet final : public QWidget, public JobOwner {
    Q_OBJECT
public:
    // The pause between the steps of a speed change, in seconds.
    static constexpr double kSpeedStepPause = 2.0;

    explicit FSet(WindowContext& context);

    QGroupBox* fmBaudRate = nullptr;
    std::array<QPushButton*, 3> cmdBaudRate{};
    QGroupBox* fmMode = nullptr;
    QPushButton* epromCmdSens = nullptr;
    QLineEdit* epromText1 = nullptr;   // address, three hexadecimal digits
    QLineEdit* epromText2 = nullptr;   // data, two hexadecimal digits
    QPushButton* epromCmdRD = nullptr;
    QPushButton* epromCmdSet = nullptr;
    QPushButton* epromCmdWR = nullptr;
    QPushButton* epromWriteProtectRelease = nullptr;
    TrafficText* epSendText = nullptr;

    // The window's own send: an operator command that is written to this
    // window's log (mode 1) instead of the main window's history. "OK" or "NG".
    SendResult SD(const Packet& packet, int mode);
    const TrafficLog& log() const { return m_log; }

    // Sets the camera to the speed of button i (0 9600, 1 19200, 2 38400 bps).
    Job changeBaudRate(int i);

private:
    // The address and data typed, or none after telling the operator why not.
    std::optional<int> address();
    std::optional<int> data();
    void refuse(const QString& text);

    WindowContext& m_ctx;
    TrafficLog m_log;
};

} // namespace peltro
