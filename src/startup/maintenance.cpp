#include "maintenance.h"

#include "catalogue.h"
#include "chain_packets.h"
#include "frm_main.h"
#include "message_service.h"
#include "refresh_controller.h"
#include "tick_action.h"

#include <QLineEdit>
#include <QMessageBox>

namespace peltro {

Maintenance::Maintenance(FrmMain& main, QObject* parent) : QObject(parent), m(main)
{
    connect(m.action(QStringLiteral("IFClear")), &QAction::triggered, this, &Maintenance::IFClear);
    connect(m.action(QStringLiteral("IFClearB")), &QAction::triggered, this, &Maintenance::IFClearB);
    connect(m.action(QStringLiteral("AddressSet")), &QAction::triggered, this, &Maintenance::AddressSet);
    connect(m.tick(QStringLiteral("Power")), &TickAction::clicked, this, &Maintenance::Power);
    for (int i = 1; i <= 7; ++i)
        connect(m.tick(QStringLiteral("CameraSel_%1").arg(i)), &TickAction::clicked, this,
                [this, i] { CameraSel(i); });
    m_clearWatch.setSingleShot(true);
    connect(&m_clearWatch, &QTimer::timeout, this, &Maintenance::clearNotBack);
}

void Maintenance::IFClear()
{
    m.link().SD(Link::VarArrayToBytes(chain::interfaceClear(0x80 + m.state().cameraAddress)), 1);
}

void Maintenance::sendIFClearB()
{
    m.link().SD(Link::VarArrayToBytes(chain::interfaceClear(chain::kBroadcast)), 1);
}

void Maintenance::IFClearB()
{
    Link& link = m.link();
    const QByteArray packet = Link::VarArrayToBytes(chain::interfaceClear(chain::kBroadcast));
    m_clearWatch.stop();
    disconnect(m_clearReceived);
    // Refused (lost port, status read): nothing went out to come back.
    if (link.SD(packet, 1) != QLatin1String("OK"))
        return;
    m_clearSeen.clear();
    m_clearReceived = connect(&link, &Link::received, this, [this, packet](const QByteArray& bytes) {
        m_clearSeen += bytes;
        if (m_clearSeen.contains(packet)) {
            m_clearWatch.stop();
            disconnect(m_clearReceived);
        }
    });
    m_clearWatch.start(kBroadcastWaitMs);
}

void Maintenance::clearNotBack()
{
    disconnect(m_clearReceived);
    // A port lost meanwhile has its own words on the status line.
    if (m.link().portLost())
        return;
    // Nothing will finish the command now: auto refresh is not left suspended.
    m.refresh().resumeAfterCommand();
    m.messages().notify(QStringLiteral("Warning"),
                        QStringLiteral("I/F Clear(broadcast) failed: the broadcast did not come back around the "
                                       "camera chain within one second.\nCheck the cables and the cameras' power."),
                        QMessageBox::Warning);
}

bool Maintenance::AddressSet()
{
    Link& link = m.link();
    PanelState& st = m.state();
    const bool sent = link.SD(Link::VarArrayToBytes(chain::addressSet()), 2) == QLatin1String("OK");
    const QByteArray a = link.WaitReply(4);
    // Only bytes that came off the line are shown: the filler of a missing
    // answer never crossed it.
    if (!link.lastWaitTimedOut())
        link.handleReceived(a);
    if (link.port().rThreshold() == 0)
        link.port().setRThreshold(1);
    if (a.size() < 4 || quint8(a[0]) != 0x88 || quint8(a[1]) != 0x30 || quint8(a[3]) != 0xFF) {
        if (sent && !link.portLost())
            m.messages().notify(QStringLiteral("Warning"),
                                QStringLiteral("Address Set failed: the camera chain gave no valid answer within "
                                               "one second.\nThe cameras' addresses and the Select menu are "
                                               "unchanged."),
                                QMessageBox::Warning);
        return false;
    }
    const int count = qBound(0, int(quint8(a[2])) - 1, 7);
    m.showCameraItems(count);
    if (st.cameraAddress > count) {
        m.checkCamera(1);
        st.cameraAddress = 1;
        m.active->setText(QStringLiteral("1"));
        m.ReadCameraStatus();
    }
    return true;
}

void Maintenance::CameraSel(int index)
{
    PanelState& st = m.state();
    st.cameraAddress = index;
    m.checkCamera(index);
    m.active->setText(QString::number(index));
    st.modelIdentified = false;
    m.ReadCameraStatus();
}

void Maintenance::Power()
{
    Link& link = m.link();
    PanelState& st = m.state();
    if (!link.RefreshNotGoCheck())
        return;
    // On a lost port the check mark would tell a power state the camera
    // never got.
    if (link.refuseIfLost())
        return;
    QAction* power = m.action(QStringLiteral("Power"));
    QByteArray packet;
    if (power->isChecked()) {
        packet = Link::VarArrayToBytes(chain::power(st.cameraAddress, false));
        power->setChecked(false);
    } else {
        packet = Link::VarArrayToBytes(chain::power(st.cameraAddress, true));
        power->setChecked(true);
        st.modelIdentified = false;
        // The camera takes a while to come up: the first reads after the
        // power change are skipped, or, with auto refresh off, one read
        // follows the command's completion.
        const bool slowStart = st.panTiltModel == kModelP3;
        RefreshController& refresh = m.refresh();
        if (refresh.isAuto())
            refresh.suspendAndSkip(slowStart ? 3 : 1);
        else
            refresh.readOnceAfterCommand(slowStart ? 6000 : 2000);
    }
    link.SD(packet, 1);
}

} // namespace peltro
