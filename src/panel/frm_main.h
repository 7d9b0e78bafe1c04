#pragma once

#include "link.h"
#include "panel_state.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;

namespace peltro {

class MessageService;
class TickAction;
class TrafficText;

// The main window: menu bar, control frames, status boxes, refresh buttons
// and the traffic area. It owns the link to the camera chain.
class FrmMain final : public QMainWindow {
    Q_OBJECT
public:
    FrmMain(PanelState& state, PortObject& port, Clock& clock, MessageService& messages,
            QWidget* parent = nullptr);
    ~FrmMain() override;

    PanelState& state() { return m_state; }
    Link& link() { return *m_link; }
    MessageService& messages() { return m_messages; }

    QAction* action(const QString& name) const;
    TickAction* tick(const QString& name) const;
    QMenu* menu(const QString& name) const;
    template <typename T> T* control(const QString& name) const
    {
        return findChild<T*>(name);
    }

    // Status boxes
    QLineEdit* modelVersion = nullptr;
    QLineEdit* ntscOrPal = nullptr;
    QLineEdit* active = nullptr;
    QLineEdit* baudRateText = nullptr;
    QLineEdit* cameraIdText = nullptr;
    // Refresh
    QPushButton* autoRefreshed = nullptr;
    QPushButton* refreshOnce = nullptr;
    QTimer* timer1 = nullptr;
    QTimer* timer2 = nullptr;
    // Traffic area
    QLineEdit* directText = nullptr;
    TrafficText* sendText = nullptr;
    TrafficText* recvText = nullptr;
    QPushButton* cmdClearTxt = nullptr;

    // The canvas every frame of the window sits on, positioned in twips.
    QWidget* canvas() const { return m_canvas; }
    void placeTwips(QWidget* w, double left, double top, double width, double height);

    // Shows or hides the camera items of the Select menu for a chain of count
    // cameras and puts the check mark on the item of address (1..7).
    void showCameraItems(int count);
    void checkCamera(int address);

    // Closing the window runs the shutdown; "Exit" ends without it.
    bool quitting() const { return m_quitting; }

Q_SIGNALS:
    // The window is closing: other windows unload, settings are saved.
    void unloading();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildStatusArea();
    void buildTrafficArea();

    PanelState& m_state;
    MessageService& m_messages;
    QWidget* m_canvas = nullptr;
    Link* m_link = nullptr;
    bool m_quitting = false;
    bool m_unloaded = false;
};

} // namespace peltro
