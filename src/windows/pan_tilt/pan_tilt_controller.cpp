#include "pan_tilt_controller.h"

#include "window_support.h"
#include "caption_fit.h"
#include "frm_pan_tilt.h"
#include "required_child.h"
#include "speed_box.h"
#include "twips.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTimer>
#include <climits>

namespace peltro {

namespace pantilt {

QPoint keptInside(const QRect& frame, const QRect& area)
{
    QPoint at = frame.topLeft();
    at.setX(qMax(area.left(), qMin(at.x(), area.right() + 1 - frame.width())));
    at.setY(qMax(area.top(), qMin(at.y(), area.bottom() + 1 - frame.height())));
    return at;
}

QPoint dockedPosition(const QRect& mainFrame, const QSize& frame, const QRect& area)
{
    const QRect below(mainFrame.bottomLeft() + QPoint(0, 1), frame);
    if (below.bottom() <= area.bottom())
        return keptInside(below, area);
    const int top = mainFrame.bottom() + 1 - frame.height();
    const int roomRight = area.right() - mainFrame.right();
    const int roomLeft = mainFrame.left() - area.left();
    QRect beside(QPoint(mainFrame.right() + 1, top), frame);
    if (roomRight < frame.width() && (roomLeft >= frame.width() || roomLeft > roomRight))
        beside.moveLeft(mainFrame.left() - frame.width());
    return keptInside(beside, area);
}

} // namespace pantilt


PanTiltController::PanTiltController(WindowContext& context, PanTiltFlags& flags, QObject* parent)
    : QObject(parent), m_ctx(context), m_flags(flags)
{
    QWidget* main = &m_ctx.main;
    m_window = new FrmPanTilt(main);
    m_frameM = requireChild<QWidget>(main, QStringLiteral("FmPTWindowM"));
    m_sizeM = requireChild<QPushButton>(main, QStringLiteral("PTWSizeM"));
    m_dockingM = requireChild<QPushButton>(main, QStringLiteral("PTWDockingM"));
    m_closeM = requireChild<QPushButton>(main, QStringLiteral("PTWCloseM"));

    if (m_sizeM)
        connect(m_sizeM, &QPushButton::clicked, this, &PanTiltController::toggleSize);
    if (m_dockingM)
        connect(m_dockingM, &QPushButton::clicked, this, &PanTiltController::toggleDocking);
    if (m_closeM)
        connect(m_closeM, &QPushButton::clicked, this, &PanTiltController::closeMain);
    connect(m_window->ptwSizeS, &QPushButton::clicked, this, &PanTiltController::toggleSize);
    connect(m_window->ptwDockingS, &QPushButton::clicked, this, &PanTiltController::toggleDocking);
    connect(m_window->ptwCloseS, &QPushButton::clicked, this, &PanTiltController::closePanTilt);
    connect(m_window, &FrmPanTilt::unloading, this, &PanTiltController::windowUnloaded);

    for (int i = 0; i < FrmPanTilt::kStopCount; ++i)
        connect(m_window->panTiltStop[i], &QPushButton::clicked, this, [this, i] { panTiltStop(i); });
    for (int i = 0; i < FrmPanTilt::kDirectCount; ++i)
        connect(m_window->panTiltDirect[i], &QPushButton::clicked, this, [this, i] { panTiltDirect(i); });

    connect(&m_ctx.dockTimer, &QTimer::timeout, this, &PanTiltController::check_DspPTW);

    // The camera's mounting and the head's status come with the status read;
    // a camera of the other family lays the window out again.
    CameraSession& session = m_ctx.session;
    connect(&session, &CameraSession::identified, this, [this](int, const Identity& id) {
        if (id.panTilt())
            requireChild<QLabel>(m_window.data(), QStringLiteral("LbMount"))->clear();
        DspPTW();
    });
    connect(&session, &CameraSession::statusRead, this, &PanTiltController::applyStatus);
    wantStatus();

    // Hovering over either window's button frame brings the other window up.
    if (m_frameM) {
        m_frameM->setMouseTracking(true);
        m_frameM->installEventFilter(this);
    }
    m_window->fmPTWindowS->installEventFilter(this);
}

PanTiltController::~PanTiltController() = default;

void PanTiltController::setCaption(QPushButton* button, const QString& caption)
{
    if (button) {
        button->setText(caption);
        fitCaption(button);
    }
}

void PanTiltController::wantStatus()
{
    // The head's status is read with the camera's while the window shows it.
    m_ctx.session.setPanTiltStatusWanted(m_flags.shown && m_flags.large);
}

void PanTiltController::DspPTW()
{
    wantStatus();
    if (!m_window)
        return;
    FrmPanTilt& w = *m_window;

    // Size
    if (!m_flags.large) {
        setCaption(w.ptwSizeS, QStringLiteral("Large"));
        setCaption(m_sizeM, QStringLiteral("Large"));
        w.fmInfo->hide();
        w.setFixedSize(w.clientSizeFor(FrmPanTilt::kSmallWidth));
    } else {
        setCaption(w.ptwSizeS, QStringLiteral("Small"));
        setCaption(m_sizeM, QStringLiteral("Small"));
        w.fmInfo->show();
        w.setFixedSize(w.clientSizeFor(FrmPanTilt::kLargeWidth));
    }

    // Shown state. A block camera has no head to drive: its window stays
    // closed, and the operator's choice is kept for the next pan/tilt camera.
    if (!m_flags.shown) {
        setCaption(m_closeM, QStringLiteral("OPEN"));
        w.hide();
    } else if (!m_ctx.session.panTiltFamily()) {
        w.hide();
    } else if (m_ctx.main.isVisible()) {
        setCaption(m_closeM, QStringLiteral("CLOSE"));
        w.show();   // never activates: the window shows without activating
        w.raise();
        // The window system's frame is known once the window is up; the
        // sizes are those of the whole window, frame included.
        w.setFixedSize(w.clientSizeFor(m_flags.large ? FrmPanTilt::kLargeWidth
                                                       : FrmPanTilt::kSmallWidth));
    }

    // Docking. No placement leaves part of the window off the screen.
    const QRect mainFrame = m_ctx.main.frameGeometry();
    const QRect area = availableArea();
    const QPoint docked = pantilt::dockedPosition(mainFrame, w.frameGeometry().size(), area);
    if (!m_flags.docked) {
        setCaption(w.ptwDockingS, QStringLiteral("Docking"));
        setCaption(m_dockingM, QStringLiteral("Docking"));
        if (!m_flags.placed) {
            // Released while it was not on the screen (or never shown): it
            // goes where a docked one would, off the main window where the
            // screen has room.
            w.move(docked);
            m_flags.placed = true;
        } else if (!area.contains(w.frameGeometry())) {
            // Grown to its large size near the edge of the screen, say.
            w.move(pantilt::keptInside(w.frameGeometry(), area));
        }
    } else {
        setCaption(w.ptwDockingS, QStringLiteral("Release"));
        setCaption(m_dockingM, QStringLiteral("Release"));
        w.move(docked);
    }
}

QRect PanTiltController::availableArea() const
{
    const QScreen* screen = m_ctx.main.screen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), QSize(INT_MAX / 2, INT_MAX / 2));
}

void PanTiltController::check_DspPTW()
{
    if (!m_window || !m_flags.docked || !m_flags.shown)
        return;
    const Seen now{m_ctx.main.frameGeometry(), m_window->frameGeometry().topLeft()};
    if (m_lastSeen && *m_lastSeen == now)
        return;
    m_lastSeen = now;
    DspPTW();
}

void PanTiltController::closeMain()
{
    m_flags.shown = !m_flags.shown;
    DspPTW();
}

void PanTiltController::closePanTilt()
{
    m_flags.shown = false;
    DspPTW();
}

void PanTiltController::toggleDocking()
{
    if (!m_flags.docked) {
        m_flags.docked = true;
    } else {
        // A released window stays where it is; one not on the screen now is
        // placed when it is laid out.
        m_flags.docked = false;
        m_flags.placed = m_window && m_window->isVisible();
    }
    DspPTW();
}

void PanTiltController::toggleSize()
{
    m_flags.large = !m_flags.large;
    DspPTW();
}

void PanTiltController::windowUnloaded()
{
    // While the main window unloads the flag keeps recording whether the
    // window was open, for the saved settings.
    if (m_flags.mainClosing)
        return;
    m_flags.shown = false;
    DspPTW();
}

bool PanTiltController::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        if (watched == m_frameM && m_window && m_window->isVisible()) {
            // Raised, never activated, moved or resized. A closed window stays
            // closed: only the window buttons open it.
            m_window->raise();
        } else if (m_window && watched == m_window->fmPTWindowS && m_ctx.main.isVisible()) {
            m_ctx.main.raise();
        }
    }
    return QObject::eventFilter(watched, event);
}

int PanTiltController::panSpeedToSend() const
{
    return speedValue(m_window->panSpeed->text(), 1, m_window->psUpDown->maximum());
}

int PanTiltController::tiltSpeedToSend() const
{
    return speedValue(m_window->tiltSpeed->text(), 1, m_window->tsUpDown->maximum());
}

void PanTiltController::send(const Packet& packet)
{
    m_ctx.session.command(packet);
}

void PanTiltController::panTiltStop(int index)
{
    if (index < 0 || index >= FrmPanTilt::kStopCount || !m_window)
        return;
    // A direction runs until the stop button; both go through the camera's
    // pacer, the stop before anything that waits.
    const int address = m_ctx.session.address();
    const Packet stop = pantilt::drivePacket(address, pantilt::kFullSpeed, pantilt::kFullSpeed, pantilt::stopDrive(0));
    if (index == 0)
        m_ctx.session.stopByHand(stop);
    else
        m_ctx.session.driveByHand(
            pantilt::drivePacket(address, panSpeedToSend(), tiltSpeedToSend(), pantilt::stopDrive(index)), stop);
}

void PanTiltController::panTiltDirect(int index)
{
    const int address = m_ctx.session.address();
    if (index == 8)
        send(pantilt::homePacket(address));
    else if (index == 9)
        send(pantilt::resetPacket(address));
    else if (index >= 0 && index < 8)
        send(pantilt::drivePacket(address, pantilt::kFullSpeed, pantilt::kFullSpeed,
                                  pantilt::directDrive(index)));
}

void PanTiltController::applyStatus(const CameraStatus& status)
{
    if (!m_window)
        return;
    FrmPanTilt& w = *m_window;
    if (status.expanded)
        w.lbMount->setText(status.expanded->ceilingMount ? QStringLiteral("Ceiling Mount")
                                                         : QStringLiteral("Desktop Mount"));
    if (m_ctx.session.panTiltFamily())
        check_DspPTW();
    if (!status.panTilt)
        return;
    const PanTiltStatus& s = *status.panTilt;
    w.lbPanPos->setText(pantilt::positionText(s.pan));
    w.lbTiltPos->setText(pantilt::positionText(s.tilt));
    w.lbPTS->setText(pantilt::statusBits(s.statusWord));
    w.psUpDown->setMaximum(s.maxPanSpeed);
    w.tsUpDown->setMaximum(s.maxTiltSpeed);
    if (speedValue(w.panSpeed->text(), 0, INT_MAX) > s.maxPanSpeed)
        w.panSpeed->setText(pantilt::signedDecimal(s.maxPanSpeed));
    if (speedValue(w.tiltSpeed->text(), 0, INT_MAX) > s.maxTiltSpeed)
        w.tiltSpeed->setText(pantilt::signedDecimal(s.maxTiltSpeed));
    w.lbMPS->setText(pantilt::signedDecimal(s.maxPanSpeed));
    w.lbMTS->setText(pantilt::signedDecimal(s.maxTiltSpeed));
}

} // namespace peltro
