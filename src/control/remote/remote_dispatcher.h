#pragma once

#include "camera_operations.h"
#include "clock.h"
#include "osc_message.h"

#include <QObject>
#include <QPointer>
#include <array>
#include <memory>

namespace peltro {

// The remote control's address space, turned into camera operations:
//
//   /peltro/select i                     addresses camera i
//   /peltro/refresh                      one status read
//   /peltro/subscribe [i]                feedback to the sender (port i of its host)
//   /peltro/unsubscribe [i]
//   /peltro/cam/N/pantilt f f            pan, tilt speed -1..1 (right, up positive)
//   /peltro/cam/N/zoom f                 -1..1 (tele positive)
//   /peltro/cam/N/focus f                -1..1 (far positive)
//   /peltro/cam/N/stop                   pan-tilt, zoom and focus
//   /peltro/cam/N/home                   pan-tilt home
//   /peltro/cam/N/preset/recall|set|reset i   the preset as the panel numbers it
//   /peltro/cam/N/focus/auto i           1 auto focus, 0 manual
//   /peltro/cam/N/focus/onepush          one-push AF
//   /peltro/cam/N/power i                1 on, 0 off
//
// Whole-number arguments may come as floats (1.0) or truth values, speeds as
// the integers -1, 0 and 1; a speed maps onto the camera's own steps and a
// speed that is not 0 never maps to 0. An address without arguments also
// takes one number, as buttons send it on press and release: 0 (the
// release) does nothing.
//
// Safety: a motion (pan-tilt, zoom or focus not 0) holds for a while only;
// without a new motion message for that camera within the hold, the camera
// is stopped. Losing the link and the end of the remote control (turned off,
// panel closing) stop every camera still moving at its command.
class RemoteDispatcher final : public QObject {
    Q_OBJECT
public:
    struct Result {
        enum Kind {
            Done,         // the operation was asked for
            Ignored,      // a button's release: nothing to do
            Refused,      // error holds the words for the sender
            Subscribe,    // port: the port to send to, 0 for the sender's own
            Unsubscribe,
        };
        Kind kind = Done;
        QString error;
        int port = 0;
    };

    RemoteDispatcher(CameraOperations& operations, Clock& clock, QObject* parent = nullptr);
    // Stops what is still moving at the remote control's command.
    ~RemoteDispatcher() override;

    Result dispatch(const OscMessage& message);

    void setHoldMs(int ms) { m_holdMs = ms; }
    int holdMs() const { return m_holdMs; }

    // Stops every camera still moving at the remote control's command; why
    // is recorded with each stop ("link lost", "remote control off").
    void stopMoved(const QString& why);
    // Cameras moving at the remote control's command, by address.
    QList<int> movingCameras() const;

private:
    enum Axis : unsigned { PanTiltAxis = 1, ZoomAxis = 2, FocusAxis = 4 };
    struct Motion {
        unsigned axes = 0;
        QString source;                     // who moved it last
        std::unique_ptr<ClockTimer> hold;
    };

    void moved(int address, Axis axis, bool on, const QString& source);
    void stopCamera(int address, const QString& why);

    QPointer<CameraOperations> m_ops;
    Clock& m_clock;
    int m_holdMs = 500;
    std::array<Motion, 8> m_motion;         // by chain address 1..7
};

} // namespace peltro
