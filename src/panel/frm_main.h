#pragma once

#include "camera_session.h"
#include "catalogue.h"
#include "required_child.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>

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
// and the traffic area, a view of the camera session.
class FrmMain final : public QMainWindow {
    Q_OBJECT
public:
    FrmMain(CameraSession& session, MessageService& messages, QWidget* parent = nullptr);
    ~FrmMain() override;

    CameraSession& session() { return m_session; }
    MessageService& messages() { return m_messages; }
    // The camera now addressed.
    int address() const { return m_session.address(); }

    // Controls, menus and items by name. A name that does not exist (or a
    // control of another kind) stops the program with a message.
    QAction* action(const QString& name) const;
    TickAction* tick(const QString& name) const;
    QMenu* menu(const QString& name) const;
    template <typename T> T* control(const QString& name) const
    {
        return requireChild<T>(this, name);
    }

    // Status boxes
    QLineEdit* modelVersion = nullptr;
    QLineEdit* ntscOrPal = nullptr;
    QLineEdit* active = nullptr;
    QLineEdit* baudRateText = nullptr;
    QLineEdit* cameraIdText = nullptr;
    // Refresh: the buttons show the session's auto refresh, whose timer
    // (Timer1) they are here to look at. Timer2 keeps a docked pan-tilt
    // window attached.
    QPushButton* autoRefreshed = nullptr;
    QPushButton* refreshOnce = nullptr;
    QTimer* timer1 = nullptr;
    QTimer* timer2 = nullptr;
    // Traffic area
    QLineEdit* directText = nullptr;
    TrafficText* sendText = nullptr;
    TrafficText* recvText = nullptr;
    QPushButton* cmdClearTxt = nullptr;

    // Label lists of the exposure value boxes, by slider position.
    LabelLists labels;
    // What the panel last applied: -1 until the first status read or command.
    int recordedAEMode = -1;
    int recordedWBMode = -1;
    int videoSystem = 0;  // 0: 60-field systems, 1: 50-field systems
    int effectLevel = 0;  // digital effect level as last read

    // The canvas every frame of the window sits on, positioned in twips.
    QWidget* canvas() const { return m_canvas; }
    void placeTwips(QWidget* w, double left, double top, double width, double height);

    // Shows or hides the camera items of the Select menu for a chain of count
    // cameras and puts the check mark on the item of address (1..7).
    void showCameraItems(int count);
    void checkCamera(int address);

Q_SIGNALS:
    // The window is closing: other windows unload, settings are saved.
    void unloading();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildFrames();
    void buildStatusArea();
    void buildTrafficArea();
    void showNetworkChange();

    CameraSession& m_session;
    MessageService& m_messages;
    QWidget* m_canvas = nullptr;
    bool m_networkNoticeShown = false;
    bool m_quitting = false;
    bool m_unloaded = false;
};

} // namespace peltro
