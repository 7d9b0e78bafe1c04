#include "frm_pan_tilt.h"

#include "caption_fit.h"
#include "speed_box.h"
#include "twips.h"
#include "window_support.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace peltro {

namespace {

// The direction pad: the speed-controlled buttons form the inner 3x3 ring
// around Stop, the full-speed ones the corners and edge middles of the outer
// 5x5 ring, Home and Reset sit on a row of their own underneath.
struct PadCell {
    const char* caption;
    int row;
    int column;
};

constexpr PadCell kStopCells[FrmPanTilt::kStopCount] = {
    {"Stop", 2, 2},      {"UP", 1, 2},         {"Left", 2, 1},
    {"Right", 2, 3},     {"Down", 3, 2},       {"UP-Left", 1, 1},
    {"UP-Right", 1, 3},  {"Down-Left", 3, 1},  {"Down-Right", 3, 3},
};

constexpr PadCell kDirectCells[FrmPanTilt::kDirectCount] = {
    {"Left-Direct", 2, 0},  {"UP-L-Dir", 0, 0},  {"Down-L-Dir", 4, 0}, {"Right-Direct", 2, 4},
    {"UP-R-Dir", 0, 4},     {"Down-R-Dir", 4, 4}, {"UP-Direct", 0, 2},  {"Down-Dir", 4, 2},
    {"Home", 5, 1},         {"Reset", 5, 3},
};

constexpr double kPadLeft = 120;
constexpr double kPadTop = 270;
constexpr double kPadPitchX = 1110;
constexpr double kPadPitchY = 450;
constexpr double kPadButtonWidth = 1080;
constexpr double kPadButtonHeight = 405;

constexpr double kRightColumn = 5940;
constexpr double kRightWidth = 2820;
constexpr double kInfoLeft = 8940;

} // namespace

FrmPanTilt::FrmPanTilt(QWidget* owner) : QWidget(owner, Qt::Tool)
{
    setObjectName(QStringLiteral("FrmPanTilt"));
    setWindowTitle(QStringLiteral("Pan/Tilt"));
    // Showing or raising the window must never take the focus from the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Escape closes it like its close box: the main window's OPEN brings it back.
    closeOnEscape(*this);

    buildPad();
    buildWindowButtons();
    buildSpeeds();
    lbMount = new QLabel(QStringLiteral("Desktop Mount"), this);
    lbMount->setObjectName(QStringLiteral("LbMount"));
    place(lbMount, kRightColumn, 2520, kRightWidth, 255);
    buildInformation();

    setFixedSize(clientSizeFor(kLargeWidth));
    fitCaptions(this);
}

QSize FrmPanTilt::clientSizeFor(double widthTwips) const
{
    // The sizes are those of the whole window; the frame the window system
    // draws around it comes off the client area.
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const int extraW = outer.width() - inner.width();
    const int extraH = outer.height() - inner.height();
    return {twips::toPixels(widthTwips) - extraW, twips::toPixels(kHeight) - extraH};
}

void FrmPanTilt::closeEvent(QCloseEvent* event)
{
    event->accept();
    Q_EMIT unloading();
}

void FrmPanTilt::place(QWidget* w, double left, double top, double width, double height)
{
    w->setGeometry(twips::toPixels(left), twips::toPixels(top), twips::toPixels(width),
                   twips::toPixels(height));
}

QGroupBox* FrmPanTilt::frame(QWidget* parent, const QString& name, const QString& caption,
                             double left, double top, double width, double height)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    place(box, left, top, width, height);
    return box;
}

QLabel* FrmPanTilt::valueLabel(QGroupBox* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    place(label, 90, 240, twips::fromPixels(parent->width()) - 180, 255);
    return label;
}

void FrmPanTilt::buildInformation()
{
    fmInfo = frame(this, QStringLiteral("FmInfo"), QStringLiteral("Information"), kInfoLeft, 60,
                   2760, 3060);
    fmPTStatuw = frame(fmInfo, QStringLiteral("FmPTStatuw"), QStringLiteral("Pan Tilt Status"), 90,
                       240, 2580, 570);
    lbPTS = valueLabel(fmPTStatuw, QStringLiteral("LbPTS"), {});

    fmMaxSpeed = frame(fmInfo, QStringLiteral("FmMaxSpeed"), QStringLiteral("Max Speed"), 90, 870,
                       2580, 870);
    fmMTS = frame(fmMaxSpeed, QStringLiteral("FmMTS"), QStringLiteral("Tilt"), 90, 240, 1200, 540);
    lbMTS = valueLabel(fmMTS, QStringLiteral("LbMTS"), {});
    fmMPS = frame(fmMaxSpeed, QStringLiteral("FmMPS"), QStringLiteral("Pan"), 1290, 240, 1200, 540);
    lbMPS = valueLabel(fmMPS, QStringLiteral("LbMPS"), {});

    fmTiltPos = frame(fmInfo, QStringLiteral("FmTiltPos"), QStringLiteral("Tilt Pos."), 90, 1800,
                      2580, 570);
    lbTiltPos = valueLabel(fmTiltPos, QStringLiteral("LbTiltPos"), {});
    fmPanPos = frame(fmInfo, QStringLiteral("FmPanPos"), QStringLiteral("Pan Pos."), 90, 2430,
                     2580, 570);
    lbPanPos = valueLabel(fmPanPos, QStringLiteral("LbPanPos"), {});
}

void FrmPanTilt::buildWindowButtons()
{
    fmPTWindowS = frame(this, QStringLiteral("FmPTWindowS"), QStringLiteral("Pan/Tilt Window"),
                        kRightColumn, 60, kRightWidth, 705);
    // Mouse moves over the frame reach it even between its buttons.
    fmPTWindowS->setMouseTracking(true);
    auto button = [this](const char* name, const char* caption, int slot) {
        auto* b = new QPushButton(QString::fromLatin1(caption), fmPTWindowS);
        b->setObjectName(QString::fromLatin1(name));
        place(b, 90 + slot * 900, 270, 840, 345);
        return b;
    };
    ptwCloseS = button("PTWCloseS", "CLOSE", 0);
    ptwDockingS = button("PTWDockingS", "Release", 1);
    ptwSizeS = button("PTWSizeS", "Small", 2);
}

void FrmPanTilt::buildSpeeds()
{
    auto speedFrame = [this](const char* frameName, const char* caption, const char* textName,
                             const char* spinName, const char* initial, int maximum, double top,
                             SpeedText*& text, UpDown*& spin) {
        QGroupBox* box = frame(this, QString::fromLatin1(frameName), QString::fromLatin1(caption),
                               kRightColumn, top, kRightWidth, 705);
        text = new SpeedText(box);
        text->setObjectName(QString::fromLatin1(textName));
        text->setText(QString::fromLatin1(initial));
        place(text, 120, 270, 1500, 315);
        spin = new UpDown(box);
        spin->setObjectName(QString::fromLatin1(spinName));
        spin->setMinimum(1);
        spin->setMaximum(maximum);
        spin->setBuddy(text);
        place(spin, 1620, 270, 255, 315);
        return box;
    };
    fmPanSpeed = speedFrame("FmPanSpeed", "Pan Speed", "PanSpeed", "PSUpDown", "24", 24, 855,
                            panSpeed, psUpDown);
    fmTiltSpeed = speedFrame("FmTiltSpeed", "Tilt Speed", "TiltSpeed", "TSUpDown", "23", 23, 1650,
                             tiltSpeed, tsUpDown);
}

void FrmPanTilt::buildPad()
{
    fmPanTilt = frame(this, QStringLiteral("FmPanTilt"), QStringLiteral("Pan/Tilt"), 60, 60, 5790,
                      3060);
    auto padButton = [this](const QString& name, const PadCell& cell) {
        auto* b = new QPushButton(QString::fromLatin1(cell.caption), fmPanTilt);
        b->setObjectName(name);
        place(b, kPadLeft + cell.column * kPadPitchX, kPadTop + cell.row * kPadPitchY,
              kPadButtonWidth, kPadButtonHeight);
        return b;
    };
    for (int i = 0; i < kStopCount; ++i)
        panTiltStop[i] = padButton(QStringLiteral("Pan_Tilt_Stop_%1").arg(i), kStopCells[i]);
    for (int i = 0; i < kDirectCount; ++i)
        panTiltDirect[i] = padButton(QStringLiteral("Pan_Tilt_Direct_%1").arg(i), kDirectCells[i]);
}

} // namespace peltro
