#pragma once

#include <QDialog>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace peltro {

class MessageService;
class RemoteControl;
struct RemoteAccess;

// "Remote Control": turns OSC remote control on or off, on which UDP port,
// for this computer only or the network, and which senders may drive the
// cameras; shows whether it listens (or why not) and how many messages from
// senders not allowed it dropped. OK and Apply hand the choice to the remote
// control, which saves it; Cancel and Escape leave it as it was.
class FrmRemote final : public QDialog {
    Q_OBJECT
public:
    FrmRemote(RemoteControl& remote, MessageService& messages, QWidget* parent = nullptr);

    QCheckBox* enabled = nullptr;        // RemoteOn
    QSpinBox* port = nullptr;            // RemotePort
    QRadioButton* local = nullptr;       // RemoteLocal: "This computer only"
    QRadioButton* network = nullptr;     // RemoteNetwork: "The network"
    QLineEdit* allowed = nullptr;        // RemoteAllowed
    QLabel* state = nullptr;             // RemoteState
    QLabel* dropped = nullptr;           // RemoteDropped
    QPushButton* ok = nullptr;           // RemoteOK
    QPushButton* apply = nullptr;        // RemoteApply
    QPushButton* cancel = nullptr;       // RemoteCancel

    // Hands the choice to the remote control; false (and a box saying why)
    // when an allowed sender is not an address.
    bool applyChoice();

private:
    void load(const RemoteAccess& access);
    void showState();
    void showDropped(int count);
    void enableFields();

    RemoteControl& m_remote;
    MessageService& m_messages;
    QString m_bind;   // kept as given unless the operator picks one of the two
};

// Tools > "Remote Control..." opens the dialog (or brings it up).
void installRemoteControlWindow(QAction* item, RemoteControl& remote, MessageService& messages, QWidget* parent);
FrmRemote* openRemoteControlWindow(RemoteControl& remote, MessageService& messages, QWidget* parent);

} // namespace peltro
