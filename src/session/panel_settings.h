#pragma once

#include <QSettings>
#include <memory>
#include <optional>

namespace peltro {

// The pan-tilt window's flags: shown, docked below the main window, large;
// placed once since it was released; and the main window closing.
struct PanTiltFlags {
    bool shown = true;
    bool docked = true;
    bool large = true;
    bool placed = false;
    bool mainClosing = false;
};

// The Com number (0 before one was chosen) and speed text chosen in the Com
// Setting dialog.
struct ComChoice {
    int portNumber = 0;
    QString speedText;
};

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
    void readPanTiltFlags(PanTiltFlags& flags) const;
    // placement is absent when the main window is minimised at shutdown.
    void save(const std::optional<Placement>& placement, const PanTiltFlags& flags, const ComChoice& com);

    // Settings of their own for the parts that keep some (group "Settings").
    QVariant value(const QString& key, const QVariant& fallback = {}) const;
    void setValue(const QString& key, const QVariant& value);


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
