#pragma once

#include <QObject>
#include <QString>

namespace peltro {

// Who asked for a camera operation: the panel's own controls or one of the
// control surfaces beside them. Shown in the decoded traffic and on the
// status line while a surface moves a camera.
enum class Surface { Panel, Remote, Gamepad, Keyboard };
// "Panel", "Remote control", "Gamepad", "Keyboard"
QString surfaceName(Surface surface);

// The camera chain as a control surface sees it, and the operations it may
// ask for. The camera session implements it; a surface never touches a
// widget. Every operation obeys the rules the panel's own controls obey
// (refusals, refresh, presets one at a time).
class CameraOperations : public QObject {
    Q_OBJECT
public:
    // Done: sent, or queued to go out as soon as the line is free (an
    // exchange such as a status read is running). Otherwise nothing is sent.
    enum class Outcome { Done, LinkLost, NotInChain, NoPanTilt, OutOfRange, Busy };
    enum class PresetOp { Set, Recall, Reset };

    struct CameraInfo {
        int address = 0;            // 1..7
        bool inChain = false;       // the address set counted it
        QString model;              // "QUORIN-P3"; empty until identified
        bool panTilt = false;       // a pan/tilt head (the QUORIN family)
        int maxPanSpeed = 0;        // pan speed steps 1..max; 0 without a head
        int maxTiltSpeed = 0;       // tilt speed steps 1..max; 0 without a head
        int maxZoomSpeed = 7;       // variable zoom speed steps 1..max
        int maxFocusSpeed = 7;      // variable focus speed steps 1..max; 0: one fixed speed
        int firstPreset = 0;        // the number the panel shows for memory 0 (1 on QUORIN, 0 on TAMIRO)
        int presetCount = 6;
        int zoomPosition = -1;      // from the last status read; -1 not known
        int zoomTeleEnd = 0x4000;   // the optical tele end, for how far the camera is zoomed in
        int lastPreset = -1;        // last recalled, as shown; -1 after a manual move or not known
        bool moving = false;        // a continuous motion is under way
        Surface movedBy = Surface::Panel;  // who started it, while moving
    };

    using QObject::QObject;

    // Why an operation was not carried out, in words for the operator
    // ("the camera is not in the chain"); empty for Done.
    static QString refusalReason(Outcome outcome);

    virtual bool linkUp() const = 0;
    virtual int cameraCount() const = 0;      // cameras in the chain, 0..7
    virtual int selectedCamera() const = 0;   // the panel's addressed camera, 1..7
    virtual CameraInfo camera(int address) const = 0;

    // Addresses the camera, as Select > Camera N does.
    virtual Outcome select(int address, Surface from) = 0;
    // Continuous motion, through the camera's motion pacer: the latest value
    // wins and a stop is never dropped. Speeds are signed steps of the
    // camera's own range: pan right and tilt up positive, zoom tele and
    // focus far positive. 0 stops that motion (pan and tilt both 0: stop).
    virtual Outcome panTilt(int address, int pan, int tilt, Surface from) = 0;
    virtual Outcome zoom(int address, int speed, Surface from) = 0;
    virtual Outcome focus(int address, int speed, Surface from) = 0;
    // Stops pan-tilt (on a camera with a head), zoom and focus.
    virtual Outcome stop(int address, Surface from) = 0;
    virtual Outcome home(int address, Surface from) = 0;
    // The preset as the panel shows its number (firstPreset .. firstPreset + presetCount - 1).
    virtual Outcome preset(int address, PresetOp op, int shownNumber, Surface from) = 0;
    virtual Outcome setAutoFocus(int address, bool on, Surface from) = 0;
    virtual Outcome onePushFocus(int address, Surface from) = 0;
    virtual Outcome setPower(int address, bool on, Surface from) = 0;
    // One status read of the addressed camera, as "Refresh Once".
    virtual Outcome refreshOnce(Surface from) = 0;

    // A surface's own event (an OSC message, a button), recorded in the
    // decoded traffic as a row of its own before the packets it causes.
    virtual void noteSurfaceEvent(Surface from, const QString& source, const QString& what) = 0;

Q_SIGNALS:
    void linkChanged(bool up);
    void selectedChanged(int address);
    void chainChanged();                // the camera count changed
    void cameraChanged(int address);    // model, zoom position, last preset or moving changed
};

} // namespace peltro
