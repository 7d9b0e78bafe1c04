#include "startup.h"

#include "chain_packets.h"
#include "frm_main.h"
#include "message_service.h"
#include "refresh_controller.h"
#include "startup_windows.h"
#include "twips.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QMenuBar>
#include <QScreen>
#include <QPushButton>
#include <QTimer>

namespace peltro {

Startup::Startup(FrmMain& main, PanelSettings& settings, StartupHooks hooks, QObject* parent)
    : QObject(parent), m_main(main), m_settings(settings), m_hooks(std::move(hooks))
{
    connect(&m_main, &FrmMain::unloading, this, &Startup::saveAndEnd);
}

Startup::~Startup()
{
    delete m_info;
    delete m_open;
}

bool Startup::configurePort()
{
    PanelState& st = m_main.state();
    PortObject& port = m_main.link().port();
    // Before a port has been chosen the port keeps its initial configuration.
    if (st.portNumber != 0)
        port.setCommPort(st.portNumber);
    if (!st.speedText.isEmpty())
        port.setSettings(st.speedText + QStringLiteral(",n,8,1"));
    port.setDtrEnable(true);
    // A failure shows up as a missing interface-clear answer; the dialog
    // that follows says why.
    const bool opened = port.open();
    port.setRThreshold(0);
    port.setSThreshold(1);
    return opened;
}

void Startup::waitOneSecond(const QString& pollText)
{
    Link& link = m_main.link();
    for (;;) {
        if (!pollText.isEmpty())
            m_info->setSubtitle(pollText);
        if (link.WaitCheck(1.0))
            break;
        link.clock().sleep(0.05);
    }
}

bool Startup::interfaceCheck()
{
    Link& link = m_main.link();
    m_info->setSubtitle(QStringLiteral("Interface Clear Start"));
    m_info->advance();
    waitOneSecond(QStringLiteral("Interface Clear Start-Wait 1sec "));
    m_info->setSubtitle(QStringLiteral("Interface Clear Start"));
    m_info->advance();
    link.SD(Link::VarArrayToBytes(chain::interfaceClear(chain::kBroadcast)), 0);
    const QByteArray answer = link.WaitReply(5);
    m_info->advance();
    return !answer.isEmpty() && static_cast<quint8>(answer.at(0)) == 0x88;
}

bool Startup::setcom()
{
    PanelState& st = m_main.state();
    st.portDialogDone = false;
    QEventLoop loop;
    const auto okConn = connect(m_open, &FrmOpen::confirmed, &loop, [&] {
        st.portNumber = m_open->selectedPort();
        st.speedText = m_open->selectedSpeed();
        st.portDialogDone = true;
        loop.quit();
    });
    const auto closeConn = connect(m_open, &FrmOpen::closedWithoutOk, &loop, [&] {
        if (!st.portDialogDone) {
            m_aborted = true;
            loop.quit();
        }
    });
    m_open->show();
    m_open->raise();
    m_open->activateWindow();
    // The one place start-up returns to the event loop: the operator's turn.
    if (!st.portDialogDone && !m_aborted)
        loop.exec();
    disconnect(okConn);
    disconnect(closeConn);
    return st.portDialogDone;
}

void Startup::addressAssignment()
{
    Link& link = m_main.link();
    m_info->setSubtitle(QStringLiteral("Address Set Start"));
    m_info->advance();
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        link.SD(Link::VarArrayToBytes(chain::addressSet()), 0);
        const QByteArray a = link.WaitReply(4);
        m_info->advance();
        if (a.size() >= 4 && quint8(a[0]) == 0x88 && quint8(a[1]) == 0x30 && quint8(a[3]) == 0xFF) {
            const int count = qBound(0, int(quint8(a[2])) - 1, 7);
            for (int i = 1; i <= 7; ++i) {
                m_main.action(QStringLiteral("CameraSel_%1").arg(i))->setVisible(false);
                m_info->advance();
            }
            for (int i = 1; i <= count; ++i) {
                m_main.action(QStringLiteral("CameraSel_%1").arg(i))->setVisible(true);
                m_info->advance();
            }
            m_main.checkCamera(1);
            return;
        }
    }
    m_main.messages().notify(QStringLiteral("Warning"),
                             QStringLiteral("Address Set failed: the camera chain gave no valid "
                                            "answer in %1 attempts.\nStart-up goes on.")
                                 .arg(kMaxAttempts),
                             QMessageBox::Warning);
}

void Startup::versionCheck()
{
    Link& link = m_main.link();
    PanelState& st = m_main.state();
    m_info->setSubtitle(QStringLiteral("Camera Version Check Start"));
    m_info->advance();
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        link.SD(Link::VarArrayToBytes(chain::versionInquiry(st.cameraAddress)), 0);
        const QByteArray v = link.WaitReply(10);
        m_info->advance();
        if (v.size() >= 10 && (quint8(v[0]) & 0x80) && quint8(v[1]) == 0x50 && quint8(v[9]) == 0xFF) {
            if (m_hooks.identifyModel)
                m_hooks.identifyModel(v, [this] { m_info->advance(); });
            return;
        }
    }
    m_main.messages().notify(QStringLiteral("Warning"),
                             QStringLiteral("Camera Version Check failed: camera %1 gave no valid "
                                            "answer in %2 attempts.\nStart-up goes on.")
                                 .arg(st.cameraAddress)
                                 .arg(kMaxAttempts),
                             QMessageBox::Warning);
}

void Startup::applyPlacement(const Placement& p)
{
    // The saved place is the frame's corner and the size the client's.
    QRect placed = twips::toRect(p.left, p.top, p.width, p.height);
    // Never less than the whole panel: its menu bar and every frame.
    placed.setSize(placed.size().expandedTo(
        QSize(m_main.canvas()->width(), m_main.menuBar()->sizeHint().height() + m_main.canvas()->height())));
    // The main window has not been shown yet: the window system's frame is
    // taken to be that of the progress window, which it has shown.
    QMargins frame;
    if (m_info && m_info->isVisible()) {
        const QRect outer = m_info->frameGeometry();
        const QRect inner = m_info->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    }
    // A placement made on a larger screen, or one that is gone (or nonsense
    // in the settings file), would put part of the panel out of reach: the
    // whole window is kept on the screen's free area.
    const QScreen* screen = QGuiApplication::screenAt(placed.topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        QRect outer(placed.topLeft(), placed.size().grownBy(frame).boundedTo(area.size()));
        outer.moveLeft(qMax(area.left(), qMin(outer.left(), area.right() + 1 - outer.width())));
        outer.moveTop(qMax(area.top(), qMin(outer.top(), area.bottom() + 1 - outer.height())));
        placed = QRect(outer.topLeft(), outer.size().shrunkBy(frame));
    }
    m_main.move(placed.topLeft());
    m_main.resize(placed.size());
}

bool Startup::run()
{
    PanelState& st = m_main.state();
    Link& link = m_main.link();

    // 1
    st.startup = true;
    m_main.refresh().holdForStartup();
    m_main.timer2->stop();
    m_main.hide();

    // 2
    if (!m_info)
        m_info = new FrmInfo;
    m_info->lbTitle->setText(QStringLiteral("Initialize"));
    m_info->lbSubtitle->clear();
    m_info->setProgress(1);
    m_info->showNow();

    // 3: the link loop
    for (;;) {
        const bool opened = configurePort();
        if (interfaceCheck())
            break;
        link.port().close();
        m_info->hide();
        if (!m_open)
            m_open = new FrmOpen([&link](int com) { return link.port().describe(com); });
        // The Com that was tried: before the operator has chosen one, the
        // port's own first one.
        QString failure = QStringLiteral("IF_Clear Error\r\nPort = %1").arg(link.port().commPort());
        // Why the port did not open, or why it failed at once (a device
        // server that cannot open its own serial device drops the connection).
        if (!opened || !link.port().lastError().isEmpty())
            failure += QStringLiteral("\r\n") + link.port().lastError();
        else
            failure += QStringLiteral("\r\nNo answer to the interface clear within one second: check the Com, "
                                      "the speed, the cable and the cameras' power.");
        m_open->lblDBG0->setText(failure);
        m_open->refreshDevices();
        if (!setcom()) {
            m_info->hide();
            return false;
        }
        m_info->setSubtitle(QStringLiteral("Com Port Setting Restart"));
        m_info->setProgress(3);
        m_info->showNow();
    }

    // 4
    m_info->setSubtitle(QStringLiteral("Interface Clear End"));
    m_info->advance();

    // 5
    applyPlacement(m_settings.readPlacement());
    m_settings.readPanTiltFlags(st);

    // 6
    for (auto& row : st.titles)
        row.fill(27);
    st.cameraAddress = 1;
    m_main.active->setText(QStringLiteral("1"));

    // 7
    if (m_hooks.buildLabelTables)
        m_hooks.buildLabelTables();

    // 8
    // The speed in force, also when none was chosen and the port kept its
    // initial configuration.
    m_main.baudRateText->setText(QString::number(link.port().baudRate()));

    // 9, 10
    addressAssignment();
    versionCheck();

    // 11
    m_main.control<QPushButton>(QStringLiteral("DZoomX"))->setText(QStringLiteral("X1"));
    st.startup = false;
    m_main.refresh().finishStartup();

    // 12
    m_info->setSubtitle(QStringLiteral("Camera Staus Check Start"));
    m_info->advance();
    if (m_hooks.readCameraStatus)
        m_hooks.readCameraStatus();

    // 13
    while (m_info->progressBar1->value() < 100)
        m_info->advance();
    waitOneSecond({});

    // 14
    delete m_info;
    delete m_open;
    m_main.timer2->start();

    // 15, 16
    m_main.show();
    if (st.ptwShown && m_hooks.showPanTiltWindow)
        m_hooks.showPanTiltWindow();
    return true;
}

void Startup::saveAndEnd()
{
    PanelState& st = m_main.state();
    st.mainClosing = true;
    // Unload the other windows, newest first.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        QWidget* w = *it;
        if (w != &m_main && w->isVisible())
            w->close();
    }
    std::optional<Placement> placement;
    if (!m_main.isMinimized()) {
        placement = Placement{twips::fromPixels(m_main.x()), twips::fromPixels(m_main.y()),
                              twips::fromPixels(m_main.width()), twips::fromPixels(m_main.height())};
    }
    m_settings.save(placement, st);
    if (m_hooks.endProgram)
        m_hooks.endProgram();
}

} // namespace peltro
