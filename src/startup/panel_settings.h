#pragma once

#include "panel_state.h"

#include <QSettings>
#include <memory>
#include <optional>

namespace peltro {

// Window placement in twips.
struct Placement {
    double left = 0;
    double top = 0;
    double width = 11895;
    double height = 8220;
};

// The saved settings: one application, group "Settings". A stored value that
// cannot be read as its kind is ignored and the default stays.
class PanelSettings {
public:
    static QString applicationName();

    PanelSettings();                                  // the user's settings
    explicit PanelSettings(const QString& iniFile);   // a settings file of its own

    Placement readPlacement() const;
    void readPanTiltFlags(PanelState& state) const;
    // placement is absent when the main window is minimised at shutdown.
    void save(const std::optional<Placement>& placement, const PanelState& state);


    // The store itself, for the settings of parts that keep their own keys
    // in the same group (the gamepad's, the keyboard control's).
    QSettings& store() { return *m_settings; }

    static QString boolText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }
    static std::optional<bool> parseBool(const QString& text);
    static QString numberText(double value);

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace peltro
