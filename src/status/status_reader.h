#pragma once

#include "status_blocks.h"

#include <QByteArray>
#include <QObject>
#include <functional>

namespace peltro {

class FrmMain;
class PanelConfig;

// Brings the main window into line with the camera: identifies the model
// when it is not known yet, reads the four status blocks and sets every
// control they describe. Runs on every tick of auto refresh and on "Refresh Once".
class StatusReader final : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxTries = 7;

    StatusReader(FrmMain& main, PanelConfig& config, QObject* parent = nullptr);

    // True when a read was carried out (even if broken off), false when it was
    // refused at once; a read skipped for a running preset or the skip count
    // also answers false.
    bool ReadCameraStatus();

    // The pan-tilt window's part: keep it docked, read its status, show the
    // camera's mounting.
    std::function<void()> checkPanTiltWindow;
    // The identified family changed (a chain of both families): the pan-tilt
    // window is laid out again, shown for a pan/tilt camera, closed for a
    // block camera.
    std::function<void()> familyChanged;
    std::function<bool()> readPanTiltStatus;
    std::function<void(const QString&)> showMounting;
    // The other block's values that windows beside the main window show:
    // the digital effect level and the camera ID.
    std::function<void(int)> showEffectLevel;
    std::function<void(int)> showCameraId;

    // Applies decoded blocks to the window, in the order a read does.
    void applyLens(const LensStatus& s);
    void applyCamera(const CameraStatus& s);
    void applyOther(const OtherStatus& s);
    void applyExpanded(const ExpandedStatus& s);

private:
    bool identify();
    bool readBlock(int block, QByteArray& reply);
    void finish();
    void markNoAnswer();
    void showAnswered();
    void onRefreshOnce();

    FrmMain& m;
    PanelConfig& m_config;
    bool m_reading = false;
    bool m_noAnswer = false;       // the last read of the addressed camera failed
    QString m_answeredName;        // the model shown before it did
};

} // namespace peltro
