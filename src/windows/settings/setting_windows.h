#pragma once

#include "frm_cam_id.h"
#include "frm_deffect.h"
#include "frm_set_dt.h"
#include "fset.h"
#include "window_support.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

namespace peltro {

struct WindowContext;

// Opens the clock, camera-ID, effect-level and factory-setting windows from
// the main window's menus, each made on first use and kept, and shows them
// the values the status read finds.
class SettingWindows final : public QObject {
    Q_OBJECT
public:
    explicit SettingWindows(WindowContext& context, QObject* parent = nullptr);
    ~SettingWindows() override;

    // "Set Time and Date": the clock window, filled from the computer's clock.
    void SetTimeDate();
    // "IDWrite": the camera-ID window, modal. Auto refresh and the pan-tilt
    // window's timer stay off while it is open.
    void IDWrite();
    // "EffectLevel": the effect-level window, modal. Auto refresh goes on as
    // it was.
    void EffectLevel();
    // "Setting Menu": the factory-setting window.
    void SettingMenu();

    // The status read's values of the other block.
    void showEffectLevel(int level);
    void showCameraId(int id);

    // The computer's clock, as the clock window reads it.
    std::function<QDateTime()> currentDateTime = [] { return QDateTime::currentDateTime(); };

    FrmSetDT* setDT() const { return m_setDT; }
    FrmCamID* camID() const { return m_camID; }
    FrmDeffect* deffect() const { return m_deffect; }
    FSet* fset() const { return m_fset; }

    // Closes every window it opened (the main window unloads).
    void closeAll();

private:
    // Where the modal windows open: 500 twips right of and 1000 twips below
    // the main window's top-left corner.
    void placeBesideMain(QWidget* window);

    WindowContext& m_ctx;
    std::unique_ptr<WindowHold> m_camIDHold;
    QPointer<FrmSetDT> m_setDT;
    QPointer<FrmCamID> m_camID;
    QPointer<FrmDeffect> m_deffect;
    QPointer<FSet> m_fset;
    std::optional<int> m_level;      // the camera's effect level, as last read or sent
    std::optional<int> m_cameraId;   // the camera's ID, as last read or written
};

} // namespace peltro
