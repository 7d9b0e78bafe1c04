#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QPointer>
#include <QString>
#include <optional>

class QPushButton;
class QWidget;

namespace peltro {

class FrmMain;
class FrmPanTilt;
struct PanelState;

// Packets and answers of the pan/tilt head, without any widget.
namespace pantilt {

// Drive directions: pan 1 left, 2 right, 3 stop; tilt 1 up, 2 down, 3 stop.
struct Drive {
    int pan;
    int tilt;
};

// The speed both axes run at on the full-speed buttons (and on Stop).
constexpr int kFullSpeed = 0x18;

// Directions of Pan_Tilt_Stop 0..8 (0 is Stop itself).
Drive stopDrive(int index);
// Directions of Pan_Tilt_Direct 0..7; 8 is Home and 9 Reset, which do not drive.
Drive directDrive(int index);

QList<int> drivePacket(int address, int panSpeed, int tiltSpeed, Drive drive);  // 8x 01 06 01 vv ww 0p 0q FF
// "left up", "right", "down", "stop"; none for bytes that are no direction.
std::optional<QString> driveText(Drive drive);
QList<int> homePacket(int address);    // 8x 01 06 04 FF
QList<int> resetPacket(int address);   // 8x 01 06 05 FF

QList<int> positionInquiry(int address);   // 8x 09 06 12 FF, answer of 11 bytes
QList<int> statusInquiry(int address);     // 8x 09 06 10 FF, answer of 5 bytes
QList<int> maxSpeedInquiry(int address);   // 8x 09 06 11 FF, answer of 5 bytes
constexpr int kPositionAnswer = 11;
constexpr int kStatusAnswer = 5;
constexpr int kMaxSpeedAnswer = 5;

// An inquiry answer: from a camera, 0x50, and the terminator where an answer
// of count bytes ends.
bool validAnswer(const QByteArray& answer, int count);

struct Position {
    int pan;
    int tilt;
};
Position decodePosition(const QByteArray& answer);
int decodeStatusWord(const QByteArray& answer);
int decodePanMax(const QByteArray& answer);
int decodeTiltMax(const QByteArray& answer);

// Where the docked window's frame (of the given size) goes beside the main
// window's frame, within the screen's available area: directly below the
// main window where that fits; otherwise at its side (right, then left),
// the two bottom edges level; where neither side has room, at the edge of
// the roomier side. Always within the area, as far as the window fits.
QPoint dockedPosition(const QRect& mainFrame, const QSize& frame, const QRect& area);
// A frame moved back into the area as far as it fits, its top left corner
// in sight when it is larger.
QPoint keptInside(const QRect& frame, const QRect& area);

QString positionText(int value);    // "0x" and upper-case hexadecimal, no leading zeros
QString statusBits(int word);       // 16 characters, bit 15 first
QString signedDecimal(int value);   // " 18": a space where a minus sign would go

} // namespace pantilt

// Drives the pan-tilt window from the main window: lays it out from the three
// flags of the panel state (shown, docked, large), keeps a docked window
// attached below the main window, handles the window buttons of both windows,
// sends the motion packets and fills the information labels from the camera.
class PanTiltController final : public QObject {
    Q_OBJECT
public:
    // Tries on one inquiry before the read gives up.
    static constexpr int kMaxTries = 7;

    explicit PanTiltController(FrmMain& main, QObject* parent = nullptr);
    ~PanTiltController() override;

    FrmPanTilt* window() const { return m_window; }

    // Applies the shown, docked and large flags to both windows.
    void DspPTW();
    // Lays the windows out again when a docked, shown window or the main window
    // has moved since the last look. Runs on every tick of the main window's Timer2.
    void check_DspPTW();
    // Reads position, status and maximum speeds of the addressed camera into
    // the information labels. False (labels untouched) after a failed inquiry.
    bool ReadPanTiltStatusCore();

    // Window buttons of both windows and the pan-tilt window's unload.
    void closeMain();       // PTWCloseM
    void closePanTilt();    // PTWCloseS
    void toggleDocking();   // PTWDockingM, PTWDockingS
    void toggleSize();      // PTWSizeM, PTWSizeS
    void windowUnloaded();

    // Motion buttons.
    void panTiltStop(int index);
    void panTiltDirect(int index);

    // The speeds the speed-controlled buttons send: the box's value rounded,
    // kept within 1 .. the spinner's maximum.
    int panSpeedToSend() const;
    int tiltSpeedToSend() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The main window's screen, less its panels and docks.
    QRect availableArea() const;
    void send(const QList<int>& packet);
    bool exchange(const QList<int>& inquiry, int count, QByteArray& answer);
    static void setCaption(QPushButton* button, const QString& caption);

    FrmMain& m_main;
    PanelState& m_state;
    QPointer<FrmPanTilt> m_window;
    QPointer<QWidget> m_frameM;
    QPointer<QPushButton> m_sizeM;
    QPointer<QPushButton> m_dockingM;
    QPointer<QPushButton> m_closeM;

    // Where the main window (and how tall, a status line may grow it) and
    // the pan-tilt window were at the last look.
    struct Seen {
        QRect main;
        QPoint panTilt;
        bool operator==(const Seen&) const = default;
    };
    std::optional<Seen> m_lastSeen;
};

} // namespace peltro
