#pragma once

#include "pan_tilt_packets.h"
#include "panel_settings.h"
#include "window_support.h"

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

struct WindowContext;
class FrmPanTilt;

namespace pantilt {

// Where the docked window's frame (of the given size) goes beside the main
// window's frame, within the screen's available area: directly below the
// main window where that fits; otherwise at its side (right, then left),
// the two bottom edges level; where neither side has room, at the edge of
// the roomier side. Always within the area, as far as the window fits.
QPoint dockedPosition(const QRect& mainFrame, const QSize& frame, const QRect& area);
// A frame moved back into the area as far as it fits, its top left corner
// in sight when it is larger.
QPoint keptInside(const QRect& frame, const QRect& area);

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

    PanTiltController(WindowContext& context, PanTiltFlags& flags, QObject* parent = nullptr);
    ~PanTiltController() override;

    FrmPanTilt* window() const { return m_window; }

    // Applies the shown, docked and large flags to both windows.
    void DspPTW();
    // Lays the windows out again when a docked, shown window or the main window
    // has moved since the last look. Runs on every tick of the main window's Timer2.
    void check_DspPTW();
    // The status read's mounting, and the head's position, status and
    // maximum speeds, in the information labels; a docked window is kept
    // attached.
    void applyStatus(const CameraStatus& status);

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
    void send(const Packet& packet);
    void wantStatus();
    static void setCaption(QPushButton* button, const QString& caption);

    WindowContext& m_ctx;
    PanTiltFlags& m_flags;
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
