#include "reconnection.h"

#include "frm_main.h"
#include "maintenance.h"
#include "refresh_controller.h"

#include <QLabel>
#include <QScreen>
#include <QStatusBar>

namespace peltro {

Reconnection::Reconnection(FrmMain& main, Maintenance& maintenance, QObject* parent)
    : QObject(parent), m(main), m_maintenance(maintenance)
{
    QStatusBar* bar = m.statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    m_state = new QLabel(bar);
    m_state->setObjectName(QStringLiteral("LinkState"));
    m_state->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_state->setWordWrap(true);   // a long device name leaves nothing cut off
    bar->addWidget(m_state, 1);
    // Nothing to say while the link is well: no line taken from the panel.
    bar->hide();

    PortObject& port = m.link().port();
    connect(&port, &PortObject::lost, this, &Reconnection::onLost);
    connect(&port, &PortObject::mayBeBack, this, &Reconnection::onMayBeBack);
    connect(&m.link(), &Link::refused, this, &Reconnection::onRefused);

    m_clearWait.setSingleShot(true);
    connect(&m_clearWait, &QTimer::timeout, this, [this] { afterInterfaceClear(false); });
    m_hide.setSingleShot(true);
    m_hide.setInterval(kBackShownMs);
    connect(&m_hide, &QTimer::timeout, this, [this] { fitBar(false); });
}

void Reconnection::say(const QString& text, Tone tone)
{
    static const char* const styles[] = {
        "QLabel { background: #ffd6d6; color: #7a0000; font-weight: bold; padding: 2px; }",
        "QLabel { background: #fff4c2; color: #5a4500; padding: 2px; }",
        "QLabel { background: #d9f5d9; color: #0b4d0b; padding: 2px; }",
    };
    m_hide.stop();
    m_state->setStyleSheet(QString::fromLatin1(styles[int(tone)]));
    m_state->setText(text);
    fitBar(true);
    // Also for whoever started the panel from a terminal or keeps its log.
    if (tone == Tone::Alarm)
        qWarning().noquote() << text;
    else
        qInfo().noquote() << text;
}

void Reconnection::fitBar(bool shown)
{
    QStatusBar* bar = m.statusBar();
    const int before = bar->isHidden() ? 0 : bar->maximumHeight();
    int after = 0;
    if (shown) {
        // The label's lines at the window's width, and the bar's margins.
        after = m_state->heightForWidth(m.width() - 12) + 6;
        bar->setFixedHeight(after);
        bar->show();
    } else {
        bar->hide();
    }
    // The panel's controls keep their room: the window grows and shrinks by
    // the line instead of hiding part of them behind scroll bars.
    if (after != before) {
        m.resize(m.width(), m.height() + after - before);
        // Grown at the foot of the screen, the window rises rather than put
        // its last row out of sight.
        if (const QScreen* screen = m.screen()) {
            const QRect area = screen->availableGeometry();
            const QRect frame = m.frameGeometry();
            if (frame.bottom() > area.bottom())
                m.move(frame.left(), qMax(area.top(), frame.top() - (frame.bottom() - area.bottom())));
        }
    }
}

void Reconnection::onLost()
{
    PortObject& port = m.link().port();
    // Reopened or closed on purpose before this news came: nothing to tell.
    if (!port.isLost())
        return;
    m_down = true;
    m_recovering = false;
    m_clearWait.stop();
    for (const auto& c : std::as_const(m_clearFinish))
        disconnect(c);
    m_clearFinish.clear();
    m.refresh().holdForLostPort();
    say(QStringLiteral("Link lost: %1. Nothing is sent until the port is back; the panel reopens it by itself.")
            .arg(port.lastError()),
        Tone::Alarm);
}

void Reconnection::onRefused(const QString& reason)
{
    say(QStringLiteral("Not sent: link lost: %1. The panel reopens the port when it is back.").arg(reason),
        Tone::Alarm);
}

void Reconnection::onMayBeBack()
{
    PortObject& port = m.link().port();
    // Start-up looks for its port itself.
    if (!port.isLost() || m_recovering || m.state().startup)
        return;
    if (!port.open()) {
        say(QStringLiteral("Link lost: %1. The panel tries again when the device is there.").arg(port.lastError()),
            Tone::Alarm);
        return;
    }
    m_recovering = true;
    say(QStringLiteral("Link reopened: %1. Clearing the cameras' interfaces and setting their addresses.")
            .arg(port.deviceName(port.commPort())),
        Tone::Busy);
    // The returned broadcast ends the interface clear like any command;
    // what follows waits until the receive handler has done with it.
    Link& link = m.link();
    const auto answered = [this] { afterInterfaceClear(true); };
    m_clearFinish << connect(&link, &Link::commandFinished, this, answered, Qt::QueuedConnection)
                  << connect(&link, &Link::presetFinished, this, answered, Qt::QueuedConnection);
    m_clearWait.start(interfaceClearWaitMs);
    m_maintenance.sendIFClearB();
}

bool Reconnection::lostAgain()
{
    if (!m.link().portLost())
        return false;
    // onLost, queued, tells the operator.
    m_recovering = false;
    return true;
}

void Reconnection::afterInterfaceClear(bool answered)
{
    if (!m_recovering)
        return;
    m_clearWait.stop();
    for (const auto& c : std::as_const(m_clearFinish))
        disconnect(c);
    m_clearFinish.clear();
    if (lostAgain())
        return;
    PortObject& port = m.link().port();
    const QString device = port.deviceName(port.commPort());
    if (!answered) {
        m_recovering = false;
        m_down = false;
        m.refresh().releaseLostPort();
        say(QStringLiteral("Link reopened: %1, but no camera answers the interface clear. Check the cameras, then "
                           "use Camera > I/F Clear(broadcast) and Address Set.")
                .arg(device),
            Tone::Alarm);
        return;
    }
    PanelState& st = m.state();
    // The cameras may have been powered off meanwhile, or changed: they get
    // their addresses again and the addressed one is identified afresh.
    st.modelIdentified = false;
    const bool addressed = m_maintenance.AddressSet();
    if (lostAgain())
        return;
    // Address Set has read the status itself when the address had to change.
    if (!st.modelIdentified)
        m.ReadCameraStatus();
    if (lostAgain())
        return;
    m_recovering = false;
    m_down = false;
    m.refresh().releaseLostPort();
    if (!addressed) {
        say(QStringLiteral("Link back: %1 reopened and interfaces cleared, but Address Set got no valid answer. Check "
                           "the cameras, then use Camera > Address Set.")
                .arg(device),
            Tone::Alarm);
        return;
    }
    say(QStringLiteral("Link back: %1 reopened, interfaces cleared, addresses set, status read.").arg(device),
        Tone::Good);
    m_hide.start();
}

} // namespace peltro
