#include "privacy_windows.h"

#include "frm_main.h"
#include "frm_privacy.h"
#include "frm_privacy_a.h"

#include <QAction>

namespace peltro {

PrivacyWindows::PrivacyWindows(FrmMain& main, QObject* parent) : QObject(parent), m_main(main)
{
    connect(main.action(QStringLiteral("SettingZones")), &QAction::triggered, this, &PrivacyWindows::SettingZones);
    connect(main.action(QStringLiteral("PrivacyAv")), &QAction::triggered, this, &PrivacyWindows::PrivacyAv);
}

void PrivacyWindows::SettingZones()
{
    if (!m_privacy)
        m_privacy = new FrmPrivacy(m_main);
    m_privacy->selectFirstEntries();
    m_privacy->show();
    m_privacy->raise();
    m_privacy->activateWindow();
}

void PrivacyWindows::PrivacyAv()
{
    if (!m_privacyA)
        m_privacyA = new FrmPrivacyA(m_main);
    m_privacyA->show();
    m_privacyA->raise();
    m_privacyA->activateWindow();
}

} // namespace peltro
