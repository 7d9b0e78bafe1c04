#include "frm_main.h"

#include "camera_controls.h"
#include "caption_fit.h"
#include "direct_console.h"
#include "main_layout.h"
#include "message_service.h"
#include "tick_action.h"
#include "traffic_text.h"
#include "twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>

namespace peltro {


FrmMain::FrmMain(CameraSession& session, MessageService& messages, QWidget* parent)
    : QMainWindow(parent), m_session(session), m_messages(messages)
{
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("Control Panel"));

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("MainScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    m_canvas = new QWidget;
    m_canvas->setObjectName(QStringLiteral("MainCanvas"));
    m_canvas->setFixedSize(twips::toPixels(layout::kCanvasWidth), twips::toPixels(layout::kCanvasHeight));
    scroll->setWidget(m_canvas);
    setCentralWidget(scroll);

    timer1 = &m_session.refresh().timer();
    timer2 = new QTimer(this);
    timer2->setObjectName(QStringLiteral("Timer2"));
    timer2->setInterval(800);

    buildMenus();
    buildFrames();
    buildStatusArea();
    buildTrafficArea();
    installCameraControls(*this);
    connect(&m_session, &CameraSession::networkChange, this, &FrmMain::showNetworkChange);

    connect(action(QStringLiteral("Quit")), &QAction::triggered, this, [this] {
        m_quitting = true;
        QCoreApplication::exit(0);
    });
    connect(cmdClearTxt, &QPushButton::clicked, this, [this] { m_session.link().traffic().clear(); });
    new DirectConsole(directText, m_session.link(), this);
    fitCaptions(m_canvas);
}

FrmMain::~FrmMain() = default;

void FrmMain::placeTwips(QWidget* w, double left, double top, double width, double height)
{
    w->setGeometry(twips::toPixels(left), twips::toPixels(top), twips::toPixels(width),
                   twips::toPixels(height));
}

QAction* FrmMain::action(const QString& name) const
{
    return requireChild<QAction>(this, name);
}

TickAction* FrmMain::tick(const QString& name) const
{
    return requireChild<TickAction>(this, name);
}

QMenu* FrmMain::menu(const QString& name) const
{
    return requireChild<QMenu>(this, name);
}

void FrmMain::showNetworkChange()
{
    // Cameras may repeat the notice; one box at a time is enough to tell.
    if (m_networkNoticeShown)
        return;
    m_networkNoticeShown = true;
    m_messages.notify(QStringLiteral("Warning"),
                      QStringLiteral("Network Change was received.\n"
                                     "Please implement IF_Clear (broadcast), AddressSet command."),
                      QMessageBox::Warning, [this] { m_networkNoticeShown = false; });
}

void FrmMain::buildStatusArea()
{
    auto label = [this](int index, const QString& caption, double l, double t, double w) {
        auto* lbl = new QLabel(caption, m_canvas);
        lbl->setObjectName(QStringLiteral("Lbl_%1").arg(index));
        placeTwips(lbl, l, t, w, 255);
        return lbl;
    };
    auto box = [this](const QString& name, double l, double t, double w) {
        auto* edit = new QLineEdit(m_canvas);
        edit->setObjectName(name);
        edit->setReadOnly(true);
        placeTwips(edit, l, t, w, 315);
        return edit;
    };

    constexpr double row = layout::kStatusRow;
    modelVersion = box(QStringLiteral("ModelVersion"), 3960, row + 255, 1700);
    label(0, QStringLiteral("System"), 5760, row, 1000);
    ntscOrPal = box(QStringLiteral("NTSCorPAL"), 5760, row + 255, 1000);
    label(1, QStringLiteral("PELTRO No."), 6860, row, 1100);
    active = box(QStringLiteral("Active"), 6860, row + 255, 600);
    label(2, QStringLiteral("BaudRate"), 8040, row, 1000);
    baudRateText = box(QStringLiteral("Baudratetxt"), 8040, row + 255, 800);
    label(3, QStringLiteral("bps"), 8880, row + 285, 400);
    label(4, QStringLiteral("CameraID"), 9360, row, 1000);
    cameraIdText = box(QStringLiteral("CameraIDText"), 9360, row + 255, 900);

    // Refresh buttons beside the console's clear button, below the focus frame.
    constexpr double buttons = layout::kConsoleTop + 660;
    label(8, QStringLiteral("Refresh"), 1080, buttons + 45, 750);
    autoRefreshed = new QPushButton(QStringLiteral("Stop"), m_canvas);
    autoRefreshed->setObjectName(QStringLiteral("AutoRefreshed"));
    placeTwips(autoRefreshed, 1860, buttons, 570, 345);
    refreshOnce = new QPushButton(QStringLiteral("Refresh Once"), m_canvas);
    refreshOnce->setObjectName(QStringLiteral("RefreshOnce"));
    placeTwips(refreshOnce, 2460, buttons, 1380, 345);
}

void FrmMain::buildTrafficArea()
{
    constexpr double top = layout::kTrafficTop;
    auto label = [this](int index, const QString& caption, double l, double t, double w) {
        auto* lbl = new QLabel(caption, m_canvas);
        lbl->setObjectName(QStringLiteral("Lbl_%1").arg(index));
        placeTwips(lbl, l, t, w, 255);
    };
    label(5, QStringLiteral("Direct Command"), 60, layout::kConsoleTop, 1800);
    directText = new QLineEdit(m_canvas);
    directText->setObjectName(QStringLiteral("DirectText"));
    placeTwips(directText, 60, layout::kConsoleTop + 255, 3780, 315);
    cmdClearTxt = new QPushButton(QStringLiteral("Clear Txt"), m_canvas);
    cmdClearTxt->setObjectName(QStringLiteral("cmdClearTxt"));
    placeTwips(cmdClearTxt, 60, layout::kConsoleTop + 660, 960, 345);

    label(6, QStringLiteral("Command History"), 3960, top, 2000);
    sendText = new TrafficText(m_session.link().traffic(), TrafficLog::Sent, m_canvas);
    sendText->setObjectName(QStringLiteral("SendText"));
    placeTwips(sendText, 3960, top + 255, 3840, layout::kTrafficHeight);
    label(7, QStringLiteral("Response Window"), 7920, top, 2000);
    recvText = new TrafficText(m_session.link().traffic(), TrafficLog::Received, m_canvas);
    recvText->setObjectName(QStringLiteral("RecvText"));
    placeTwips(recvText, 7920, top + 255, 3780, layout::kTrafficHeight);
}

void FrmMain::showCameraItems(int count)
{
    for (int i = 1; i <= 7; ++i)
        action(QStringLiteral("CameraSel_%1").arg(i))->setVisible(i <= count);
}

void FrmMain::checkCamera(int address)
{
    for (int i = 1; i <= 7; ++i)
        action(QStringLiteral("CameraSel_%1").arg(i))->setChecked(i == address);
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded && !m_quitting) {
        m_unloaded = true;
        Q_EMIT unloading();
    }
    event->accept();
}

} // namespace peltro
