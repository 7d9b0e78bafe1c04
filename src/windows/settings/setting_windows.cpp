#include "setting_windows.h"

#include "frm_cam_id.h"
#include "frm_deffect.h"
#include "window_support.h"
#include "frm_set_dt.h"
#include "fset.h"
#include "twips.h"

#include <QAction>
#include <QLineEdit>
#include <QTimer>

namespace peltro {

SettingWindows::SettingWindows(WindowContext& context, QObject* parent) : QObject(parent), m_ctx(context)
{
    // The other block's values that these windows show.
    connect(&m_ctx.session, &CameraSession::statusRead, this, [this](const CameraStatus& status) {
        if (!status.blocksRead)
            return;
        showEffectLevel(status.other.effectLevel);
        showCameraId(status.other.cameraId);
    });
    connect(&m_ctx.session, &CameraSession::cameraIdWritten, this, [this](int id) { m_cameraId = id; });
}

SettingWindows::~SettingWindows() = default;

void SettingWindows::placeBesideMain(QWidget* window)
{
    placeBeside(*window, m_ctx.main, 500, 1000);
}

void SettingWindows::closeAll()
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_setDT, m_camID, m_deffect, m_fset}) {
        if (w)
            w->close();
    }
}

void SettingWindows::SetTimeDate()
{
    if (!m_setDT)
        m_setDT = new FrmSetDT(m_ctx);
    m_setDT->fill(currentDateTime());
    m_setDT->show();
    m_setDT->raise();
    m_setDT->activateWindow();
}

void SettingWindows::IDWrite()
{
    if (!m_camID) {
        m_camID = new FrmCamID(m_ctx);
        m_camID->setWindowModality(Qt::ApplicationModal);
        // However the window goes (OK, Cancel, its close box, Escape), the
        // timers it stopped come back.
        connect(m_camID, &QDialog::finished, this, [this] { m_camIDHold.reset(); });
    }
    if (m_camID->isVisible())
        return;
    m_camIDHold = std::make_unique<WindowHold>(m_ctx, HoldKind::TimersOnly);
    m_camID->id->setText(m_cameraId ? QString::number(*m_cameraId) : QString());
    placeBesideMain(m_camID);
    m_camID->show();
}

void SettingWindows::EffectLevel()
{
    if (!m_deffect) {
        m_deffect = new FrmDeffect(m_ctx);
        m_deffect->setWindowModality(Qt::ApplicationModal);
        connect(m_deffect, &FrmDeffect::levelSent, this, [this](int level) { m_level = level; });
    }
    if (m_deffect->isVisible())
        return;
    if (m_level)
        m_deffect->fill(*m_level);
    placeBesideMain(m_deffect);
    m_deffect->show();
}

void SettingWindows::SettingMenu()
{
    if (!m_fset)
        m_fset = new FSet(m_ctx);
    m_fset->show();
    m_fset->raise();
    m_fset->activateWindow();
}

void SettingWindows::showEffectLevel(int level)
{
    m_level = level;
    if (m_deffect)
        m_deffect->showCameraLevel(level);
}

void SettingWindows::showCameraId(int id)
{
    m_cameraId = id;
    if (m_camID && !m_camID->isVisible())
        m_camID->id->setText(QString::number(id));
}

} // namespace peltro
