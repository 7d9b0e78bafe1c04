#pragma once

#include "job.h"
#include "window_support.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <memory>

class QSettings;

namespace peltro {

class GamepadControl;
class PanTiltController;
class RemoteControl;
class SdlGamepad;
class PrivacyWindows;
class SettingWindows;
class TitleEditors;
struct PanTiltFlags;
namespace traffic {
class Session;
}

// The windows beside the main window, opened from its menus. One registry
// row a window says which item opens it, whether it is modal, how it holds
// the main window's timers and where it opens; every row's item is
// connected from here.
class WindowSet final : public QObject, public JobOwner {
    Q_OBJECT
public:
    enum class Modality { Modal, Modeless };
    struct Row {
        const char* action;      // the menu item that opens it
        const char* window;      // the window's objectName
        Modality modality;
        HoldKind hold;           // what it holds while it is open
        QPoint placement;        // twips from the main window's top-left; (0, 0): its own rule
        void (*open)(WindowSet& set, const Row& row);
    };
    static const QList<Row>& registry();

    // The control surfaces the Tools windows set up; a window whose surface
    // is absent does not open.
    struct Surfaces {
        RemoteControl* remote = nullptr;
        GamepadControl* gamepad = nullptr;
        const SdlGamepad* sdl = nullptr;   // absent: no controller support
        QSettings* store = nullptr;        // where the gamepad's mapping is kept
    };

    WindowSet(WindowContext& context, PanTiltFlags& panTilt, traffic::Session& traffic, QObject* parent = nullptr);
    ~WindowSet() override;

    // Opens the window of a registry row, as its menu item does.
    void open(const char* action);
    // Closes every window it opened (the main window unloads).
    void closeAll();

    WindowContext& context() { return m_ctx; }
    PanTiltController& panTilt() { return *m_panTilt; }
    PrivacyWindows& privacy() { return *m_privacy; }
    TitleEditors& titles() { return *m_titles; }
    SettingWindows& settings() { return *m_settings; }
    traffic::Session& traffic() { return m_traffic; }
    void setSurfaces(const Surfaces& surfaces) { m_surfaces = surfaces; }

private:
    WindowContext& m_ctx;
    traffic::Session& m_traffic;
    std::unique_ptr<PanTiltController> m_panTilt;
    std::unique_ptr<PrivacyWindows> m_privacy;
    std::unique_ptr<TitleEditors> m_titles;
    std::unique_ptr<SettingWindows> m_settings;
    Surfaces m_surfaces;
};

} // namespace peltro
