#include "frm_remote.h"

#include "message_service.h"
#include "remote_control.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace peltro {

FrmRemote::FrmRemote(RemoteControl& remote, MessageService& messages, QWidget* parent)
    : QDialog(parent), m_remote(remote), m_messages(messages)
{
    setObjectName(QStringLiteral("FrmRemote"));
    setWindowTitle(QStringLiteral("Remote Control"));

    enabled = new QCheckBox(QStringLiteral("&Remote control on (OSC over UDP)"), this);
    enabled->setObjectName(QStringLiteral("RemoteOn"));
    port = new QSpinBox(this);
    port->setObjectName(QStringLiteral("RemotePort"));
    port->setRange(1, 65535);
    local = new QRadioButton(QStringLiteral("This &computer only"), this);
    local->setObjectName(QStringLiteral("RemoteLocal"));
    network = new QRadioButton(QStringLiteral("The &network"), this);
    network->setObjectName(QStringLiteral("RemoteNetwork"));
    allowed = new QLineEdit(this);
    allowed->setObjectName(QStringLiteral("RemoteAllowed"));
    allowed->setPlaceholderText(QStringLiteral("every sender (or e.g. 192.168.1.20, 192.168.1.0/24)"));
    state = new QLabel(this);
    state->setObjectName(QStringLiteral("RemoteState"));
    state->setWordWrap(true);
    dropped = new QLabel(this);
    dropped->setObjectName(QStringLiteral("RemoteDropped"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Apply | QDialogButtonBox::Cancel, this);
    ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("RemoteOK"));
    apply = buttons->button(QDialogButtonBox::Apply);
    apply->setObjectName(QStringLiteral("RemoteApply"));
    cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("RemoteCancel"));

    auto* reach = new QGroupBox(QStringLiteral("Messages from"), this);
    auto* reachLayout = new QVBoxLayout(reach);
    reachLayout->addWidget(local);
    reachLayout->addWidget(network);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("UDP &port:"), port);
    form->addRow(reach);
    form->addRow(QStringLiteral("&Allowed senders:"), allowed);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enabled);
    layout->addLayout(form);
    layout->addWidget(state);
    layout->addWidget(dropped);
    layout->addWidget(buttons);

    connect(enabled, &QCheckBox::toggled, this, &FrmRemote::enableFields);
    connect(local, &QRadioButton::clicked, this, [this] { m_bind = RemoteAccess::thisComputer(); });
    connect(network, &QRadioButton::clicked, this, [this] { m_bind = RemoteAccess::network(); });
    connect(ok, &QPushButton::clicked, this, [this] {
        if (applyChoice())
            accept();
    });
    connect(apply, &QPushButton::clicked, this, &FrmRemote::applyChoice);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&m_remote, &RemoteControl::stateChanged, this, &FrmRemote::showState);
    connect(&m_remote, &RemoteControl::droppedCountChanged, this, &FrmRemote::showDropped);

    load(m_remote.access());
    showState();
    showDropped(m_remote.droppedCount());
}

void FrmRemote::load(const RemoteAccess& access)
{
    enabled->setChecked(access.on);
    port->setValue(access.port ? access.port : RemoteAccess::kDefaultPort);
    m_bind = access.bind;
    const QHostAddress bind(access.bind);
    (bind.isLoopback() ? local : network)->setChecked(true);
    allowed->setText(access.allowed.join(QStringLiteral(", ")));
    enableFields();
}

void FrmRemote::enableFields()
{
    const bool on = enabled->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(port), static_cast<QWidget*>(local), static_cast<QWidget*>(network),
                       static_cast<QWidget*>(allowed)})
        w->setEnabled(on);
}

void FrmRemote::showState()
{
    state->setText(m_remote.stateText());
}

void FrmRemote::showDropped(int count)
{
    dropped->setText(QStringLiteral("Messages dropped from senders not allowed: %1").arg(count));
}

bool FrmRemote::applyChoice()
{
    RemoteAccess access = m_remote.access();
    access.on = enabled->isChecked();
    access.port = quint16(port->value());
    access.bind = m_bind;
    access.allowed.clear();
    for (const QString& entry : splitAllowed(allowed->text())) {
        if (auto error = allowedEntryError(entry)) {
            m_messages.notify(QStringLiteral("Warning"), *error, QMessageBox::Warning);
            allowed->setFocus();
            return false;
        }
        access.allowed << entry;
    }
    m_remote.configure(access);
    showState();
    return true;
}

FrmRemote* openRemoteControlWindow(RemoteControl& remote, MessageService& messages, QWidget* parent)
{
    FrmRemote* window = parent ? parent->findChild<FrmRemote*>(QStringLiteral("FrmRemote"), Qt::FindDirectChildrenOnly)
                               : nullptr;
    if (!window) {
        window = new FrmRemote(remote, messages, parent);
        // Opened afresh each time, so that it shows the settings as they are.
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void installRemoteControlWindow(QAction* item, RemoteControl& remote, MessageService& messages, QWidget* parent)
{
    QObject::connect(item, &QAction::triggered, parent ? static_cast<QObject*>(parent) : item,
                     [&remote, &messages, parent] { openRemoteControlWindow(remote, messages, parent); });
}

} // namespace peltro
