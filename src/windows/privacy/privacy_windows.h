#pragma once

#include "frm_privacy.h"
#include "frm_privacy_a.h"

#include <QObject>
#include <QPointer>

namespace peltro {

struct WindowContext;

// Opens the two privacy windows from the main window's menus: "Setting
// Zones" the mask window, "PrivacyA" the zone window. Both are ordinary
// windows beside the main window; closing one unloads it.
class PrivacyWindows final : public QObject {
    Q_OBJECT
public:
    explicit PrivacyWindows(WindowContext& context, QObject* parent = nullptr);

    void SettingZones();
    void PrivacyAv();

    FrmPrivacy* privacy() const { return m_privacy; }
    FrmPrivacyA* privacyA() const { return m_privacyA; }

private:
    WindowContext& m_ctx;
    QPointer<FrmPrivacy> m_privacy;
    QPointer<FrmPrivacyA> m_privacyA;
};

} // namespace peltro
