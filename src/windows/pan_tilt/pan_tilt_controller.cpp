#include "pan_tilt_controller.h"

#include "caption_fit.h"
#include "frm_main.h"
#include "frm_pan_tilt.h"
#include "link.h"
#include "panel_state.h"
#include "refresh_controller.h"
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

namespace {
constexpr int kLeft = 1, kRight = 2, kUp = 1, kDown = 2, kHold = 3;

int header(int address)
{
    return 0x80 + address;
}

int at(const QByteArray& bytes, int index)
{
    return static_cast<unsigned char>(bytes.at(index));
}
} // namespace

Drive stopDrive(int index)
{
    static constexpr Drive kDrives[] = {
        {kHold, kHold}, {kHold, kUp},  {kLeft, kHold}, {kRight, kHold}, {kHold, kDown},
        {kLeft, kUp},   {kRight, kUp}, {kLeft, kDown}, {kRight, kDown},
    };
    return kDrives[index];
}

Drive directDrive(int index)
{
    static constexpr Drive kDrives[] = {
        {kLeft, kHold},  {kLeft, kUp}, {kLeft, kDown}, {kRight, kHold},
        {kRight, kUp},   {kRight, kDown}, {kHold, kUp}, {kHold, kDown},
    };
    return kDrives[index];
}

QList<int> drivePacket(int address, int panSpeed, int tiltSpeed, Drive drive)
{
    return {header(address), 0x01, 0x06, 0x01, panSpeed, tiltSpeed, drive.pan, drive.tilt, 0xFF};
}

std::optional<QString> driveText(Drive drive)
{
    QStringList words;
    switch (drive.pan) {
    case kLeft: words << QStringLiteral("left"); break;
    case kRight: words << QStringLiteral("right"); break;
    case kHold: break;
    default: return std::nullopt;
    }
    switch (drive.tilt) {
    case kUp: words << QStringLiteral("up"); break;
    case kDown: words << QStringLiteral("down"); break;
    case kHold: break;
    default: return std::nullopt;
    }
    return words.isEmpty() ? QStringLiteral("stop") : words.join(QLatin1Char(' '));
}

QList<int> homePacket(int address)
{
    return {header(address), 0x01, 0x06, 0x04, 0xFF};
}

QList<int> resetPacket(int address)
{
    return {header(address), 0x01, 0x06, 0x05, 0xFF};
}

QList<int> positionInquiry(int address)
{
    return {header(address), 0x09, 0x06, 0x12, 0xFF};
}

QList<int> statusInquiry(int address)
{
    return {header(address), 0x09, 0x06, 0x10, 0xFF};
}

QList<int> maxSpeedInquiry(int address)
{
    return {header(address), 0x09, 0x06, 0x11, 0xFF};
}

bool validAnswer(const QByteArray& answer, int count)
{
    if (answer.size() < count || count < 3)
        return false;
    return (at(answer, 0) & 0x80) != 0 && at(answer, 1) == 0x50 && at(answer, count - 1) == 0xFF;
}

Position decodePosition(const QByteArray& a)
{
    return {at(a, 2) * 4096 + at(a, 3) * 256 + at(a, 4) * 16 + at(a, 5),
            at(a, 6) * 4096 + at(a, 7) * 256 + at(a, 8) * 16 + at(a, 9)};
}

int decodeStatusWord(const QByteArray& a)
{
    return at(a, 2) * 256 + at(a, 3);
}

int decodePanMax(const QByteArray& a)
{
    return at(a, 2);
}

int decodeTiltMax(const QByteArray& a)
{
    return at(a, 3);
}

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

QString positionText(int value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

QString statusBits(int word)
{
    QString bits;
    bits.reserve(16);
    for (int bit = 15; bit >= 0; --bit)
        bits += (word >> bit) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    return bits;
}

QString signedDecimal(int value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

} // namespace pantilt

PanTiltController::PanTiltController(FrmMain& main, QObject* parent)
    : QObject(parent), m_main(main), m_state(main.state())
{
    m_window = new FrmPanTilt(&main);
    m_frameM = main.control<QWidget>(QStringLiteral("FmPTWindowM"));
    m_sizeM = main.control<QPushButton>(QStringLiteral("PTWSizeM"));
    m_dockingM = main.control<QPushButton>(QStringLiteral("PTWDockingM"));
    m_closeM = main.control<QPushButton>(QStringLiteral("PTWCloseM"));

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

    connect(main.timer2, &QTimer::timeout, this, &PanTiltController::check_DspPTW);

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

void PanTiltController::DspPTW()
{
    if (!m_window)
        return;
    FrmPanTilt& w = *m_window;

    // Size
    if (!m_state.ptwLarge) {
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
    if (!m_state.ptwShown) {
        setCaption(m_closeM, QStringLiteral("OPEN"));
        w.hide();
    } else if (!m_state.panTiltFamily) {
        w.hide();
    } else if (m_main.isVisible()) {
        setCaption(m_closeM, QStringLiteral("CLOSE"));
        w.show();   // never activates: the window shows without activating
        w.raise();
        // The window system's frame is known once the window is up; the
        // sizes are those of the whole window, frame included.
        w.setFixedSize(w.clientSizeFor(m_state.ptwLarge ? FrmPanTilt::kLargeWidth
                                                       : FrmPanTilt::kSmallWidth));
    }

    // Docking. No placement leaves part of the window off the screen.
    const QRect mainFrame = m_main.frameGeometry();
    const QRect area = availableArea();
    const QPoint docked = pantilt::dockedPosition(mainFrame, w.frameGeometry().size(), area);
    if (!m_state.ptwDocked) {
        setCaption(w.ptwDockingS, QStringLiteral("Docking"));
        setCaption(m_dockingM, QStringLiteral("Docking"));
        if (!m_state.ptwPlaced) {
            // Released while it was not on the screen (or never shown): it
            // goes where a docked one would, off the main window where the
            // screen has room.
            w.move(docked);
            m_state.ptwPlaced = true;
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
    const QScreen* screen = m_main.screen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), QSize(INT_MAX / 2, INT_MAX / 2));
}

void PanTiltController::check_DspPTW()
{
    if (!m_window || !m_state.ptwDocked || !m_state.ptwShown)
        return;
    const Seen now{m_main.frameGeometry(), m_window->frameGeometry().topLeft()};
    if (m_lastSeen && *m_lastSeen == now)
        return;
    m_lastSeen = now;
    DspPTW();
}

void PanTiltController::closeMain()
{
    m_state.ptwShown = !m_state.ptwShown;
    DspPTW();
}

void PanTiltController::closePanTilt()
{
    m_state.ptwShown = false;
    DspPTW();
}

void PanTiltController::toggleDocking()
{
    if (!m_state.ptwDocked) {
        m_state.ptwDocked = true;
    } else {
        // A released window stays where it is; one not on the screen now is
        // placed when it is laid out.
        m_state.ptwDocked = false;
        m_state.ptwPlaced = m_window && m_window->isVisible();
    }
    DspPTW();
}

void PanTiltController::toggleSize()
{
    m_state.ptwLarge = !m_state.ptwLarge;
    DspPTW();
}

void PanTiltController::windowUnloaded()
{
    // While the main window unloads the flag keeps recording whether the
    // window was open, for the saved settings.
    if (m_state.mainClosing)
        return;
    m_state.ptwShown = false;
    DspPTW();
}

bool PanTiltController::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        if (watched == m_frameM && m_window && m_window->isVisible()) {
            // Raised, never activated, moved or resized. A closed window stays
            // closed: only the window buttons open it.
            m_window->raise();
        } else if (m_window && watched == m_window->fmPTWindowS && m_main.isVisible()) {
            m_main.raise();
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

void PanTiltController::send(const QList<int>& packet)
{
    m_main.link().SD(Link::VarArrayToBytes(packet), 1);
}

void PanTiltController::panTiltStop(int index)
{
    if (index < 0 || index >= FrmPanTilt::kStopCount || !m_window)
        return;
    const int address = m_state.cameraAddress;
    if (index == 0) {
        send(pantilt::drivePacket(address, pantilt::kFullSpeed, pantilt::kFullSpeed,
                                  pantilt::stopDrive(0)));
        return;
    }
    send(pantilt::drivePacket(address, panSpeedToSend(), tiltSpeedToSend(),
                              pantilt::stopDrive(index)));
}

void PanTiltController::panTiltDirect(int index)
{
    const int address = m_state.cameraAddress;
    if (index == 8)
        send(pantilt::homePacket(address));
    else if (index == 9)
        send(pantilt::resetPacket(address));
    else if (index >= 0 && index < 8)
        send(pantilt::drivePacket(address, pantilt::kFullSpeed, pantilt::kFullSpeed,
                                  pantilt::directDrive(index)));
}

bool PanTiltController::exchange(const QList<int>& inquiry, int count, QByteArray& answer)
{
    Link& link = m_main.link();
    const QByteArray packet = Link::VarArrayToBytes(inquiry);
    for (int tries = 0;;) {
        link.SD(packet, 0);
        answer = link.WaitReply(count);
        if (pantilt::validAnswer(answer, count))
            return true;
        // A lost port is not a silent camera: no refresh error for it.
        if (link.portLost())
            return false;
        if (++tries >= kMaxTries) {
            m_main.refresh().ARError();
            return false;
        }
    }
}

bool PanTiltController::ReadPanTiltStatusCore()
{
    const int address = m_state.cameraAddress;
    QByteArray position, status, speeds;
    if (!exchange(pantilt::positionInquiry(address), pantilt::kPositionAnswer, position))
        return false;
    if (!exchange(pantilt::statusInquiry(address), pantilt::kStatusAnswer, status))
        return false;
    if (!exchange(pantilt::maxSpeedInquiry(address), pantilt::kMaxSpeedAnswer, speeds))
        return false;
    if (!m_window)
        return true;
    FrmPanTilt& w = *m_window;

    const pantilt::Position p = pantilt::decodePosition(position);
    w.lbPanPos->setText(pantilt::positionText(p.pan));
    w.lbTiltPos->setText(pantilt::positionText(p.tilt));
    w.lbPTS->setText(pantilt::statusBits(pantilt::decodeStatusWord(status)));

    const int panMax = pantilt::decodePanMax(speeds);
    const int tiltMax = pantilt::decodeTiltMax(speeds);
    w.psUpDown->setMaximum(panMax);
    w.tsUpDown->setMaximum(tiltMax);
    if (speedValue(w.panSpeed->text(), 0, INT_MAX) > panMax)
        w.panSpeed->setText(pantilt::signedDecimal(panMax));
    if (speedValue(w.tiltSpeed->text(), 0, INT_MAX) > tiltMax)
        w.tiltSpeed->setText(pantilt::signedDecimal(tiltMax));
    w.lbMPS->setText(pantilt::signedDecimal(panMax));
    w.lbMTS->setText(pantilt::signedDecimal(tiltMax));
    return true;
}

} // namespace peltro
