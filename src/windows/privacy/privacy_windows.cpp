#include "privacy_windows.h"

#include "window_support.h"
#include "frm_privacy.h"
#include "frm_privacy_a.h"


namespace peltro {

PrivacyWindows::PrivacyWindows(WindowContext& context, QObject* parent) : QObject(parent), m_ctx(context) {}

void PrivacyWindows::SettingZones()
{
    if (!m_privacy)
        m_privacy = new FrmPrivacy(m_ctx);
    m_privacy->selectFirstEntries();
    m_privacy->show();
    m_privacy->raise();
    m_privacy->activateWindow();
}

void PrivacyWindows::PrivacyAv()
{
    if (!m_privacyA)
        m_privacyA = new FrmPrivacyA(m_ctx);
    m_privacyA->show();
    m_privacyA->raise();
    m_privacyA->activateWindow();
}

} // namespace peltro
