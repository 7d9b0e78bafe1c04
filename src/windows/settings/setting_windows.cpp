#include "setting_windows.h"

#include "frm_cam_id.h"
#include "frm_deffect.h"
#include "frm_main.h"
#include "frm_set_dt.h"
#include "fset.h"
#include "refresh_controller.h"
#include "twips.h"
#include "window_support.h"

#include <QAction>
#include <QLineEdit>
#include <QTimer>

namespace peltro {

SettingWindows::SettingWindows(FrmMain& main, QObject* parent) : QObject(parent), m(main)
{
    connect(m.action(QStringLiteral("SetTimeDate")), &QAction::triggered, this, &SettingWindows::SetTimeDate);
    connect(m.action(QStringLiteral("IDWrite")), &QAction::triggered, this, &SettingWindows::IDWrite);
    connect(m.action(QStringLiteral("EffectLevel")), &QAction::triggered, this, &SettingWindows::EffectLevel);
    connect(m.action(QStringLiteral("SettingMenu")), &QAction::triggered, this, &SettingWindows::SettingMenu);
    connect(&m, &FrmMain::unloading, this, &SettingWindows::closeAll);
}

SettingWindows::~SettingWindows() = default;

void SettingWindows::placeBesideMain(QWidget* window)
{
    placeOnScreen(*window, m.pos() + QPoint(twips::toPixels(500), twips::toPixels(1000)), m);
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
        m_setDT = new FrmSetDT(m);
    m_setDT->fill(currentDateTime());
    m_setDT->show();
    m_setDT->raise();
    m_setDT->activateWindow();
}

void SettingWindows::IDWrite()
{
    if (!m_camID) {
        m_camID = new FrmCamID(m);
        m_camID->setWindowModality(Qt::ApplicationModal);
        connect(m_camID, &FrmCamID::idWritten, this, [this](int id) { m_cameraId = id; });
        // However the window goes (OK, Cancel, its close box, Escape), the
        // timers it stopped come back.
        connect(m_camID, &QDialog::finished, this, [this] {
            m.refresh().releaseWindow(RefreshController::Closing::ResumeIfAuto);
            if (m_timer2WasActive)
                m.timer2->start();
        });
    }
    if (m_camID->isVisible())
        return;
    m.refresh().holdForWindow();
    m_timer2WasActive = m.timer2->isActive();
    m.timer2->stop();
    m_camID->id->setText(m_cameraId ? QString::number(*m_cameraId) : QString());
    placeBesideMain(m_camID);
    m_camID->show();
}

void SettingWindows::EffectLevel()
{
    if (!m_deffect) {
        m_deffect = new FrmDeffect(m);
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
        m_fset = new FSet(m);
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
