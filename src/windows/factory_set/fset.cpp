#include "fset.h"
#include "hex_text.h"

#include "window_support.h"
#include "link.h"
#include "message_service.h"
#include "setting_packets.h"
#include "traffic_text.h"
#include "twips.h"
#include "window_support.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace peltro {

namespace {

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, double l, double t, double w)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    twips::place(b, l, t, w, 420);
    return b;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, double l, double t, double w, double h)
{
    auto* lbl = new QLabel(text, parent);
    lbl->setObjectName(name);
    lbl->setWordWrap(true);
    lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    twips::place(lbl, l, t, w, h);
    return lbl;
}

} // namespace

FSet::FSet(WindowContext& context) : QWidget(&context.main, Qt::Window), m_ctx(context)
{
    setObjectName(QStringLiteral("FSet"));
    setWindowTitle(QStringLiteral("Factory Set"));
    closeOnEscape(*this);

    fmBaudRate = new QGroupBox(QStringLiteral("BaudRate Set"), this);
    fmBaudRate->setObjectName(QStringLiteral("FmBaudRate"));
    twips::place(fmBaudRate, 120, 120, 6240, 2160);
    const QStringList speeds{QStringLiteral("9600 bps"), QStringLiteral("19200 bps"), QStringLiteral("38400 bps")};
    for (int i = 0; i < 3; ++i) {
        cmdBaudRate[i] = button(fmBaudRate, QStringLiteral("CmdBaudRate_%1").arg(i), speeds[i], 240 + i * 2000, 360,
                                1760);
        connect(cmdBaudRate[i], &QPushButton::clicked, this, [this, i] { changeBaudRate(i); });
    }
    label(fmBaudRate, QStringLiteral("LblFSet_0"),
          QStringLiteral("When you want to change the Baud rate, Press the each button which you want.   "
                         "Then Power off  the Camera Power. "),
          240, 960, 5760, 540);
    label(fmBaudRate, QStringLiteral("LblFSet_1"), QStringLiteral("# This program have to reload also."), 240, 1620,
          5760, 255);

    fmMode = new QGroupBox(QStringLiteral("Mode"), this);
    fmMode->setObjectName(QStringLiteral("FmMode"));
    twips::place(fmMode, 120, 2400, 6240, 2100);
    epromCmdSens = button(fmMode, QStringLiteral("EPromCmdSens"), QStringLiteral("TAMIRO Setting Mode"), 240, 360, 2640);
    label(fmMode, QStringLiteral("LblFSet_2"), QStringLiteral("Mode"), 240, 1005, 600, 255);
    epromText1 = new QLineEdit(fmMode);
    epromText1->setObjectName(QStringLiteral("EPromText1"));
    twips::place(epromText1, 840, 975, 900, 315);
    label(fmMode, QStringLiteral("LblFSet_3"), QStringLiteral("Data"), 2040, 1005, 600, 255);
    epromText2 = new QLineEdit(fmMode);
    epromText2->setObjectName(QStringLiteral("EPromText2"));
    twips::place(epromText2, 2640, 975, 600, 315);
    epromCmdRD = button(fmMode, QStringLiteral("EPromCmdRD"), QStringLiteral("READ"), 240, 1500, 1200);
    epromCmdSet = button(fmMode, QStringLiteral("EPromCmdSet"), QStringLiteral("SET"), 1560, 1500, 1200);
    epromCmdWR = button(fmMode, QStringLiteral("EPromCmdWR"), QStringLiteral("WRITE"), 2880, 1500, 1200);
    epromWriteProtectRelease = button(fmMode, QStringLiteral("EPromWriteProtectrelesase"),
                                      QStringLiteral("Protect Release"), 4320, 1500, 1680);

    epSendText = new TrafficText(m_log, TrafficLog::Sent, this);
    epSendText->setObjectName(QStringLiteral("EPSendText"));
    twips::place(epSendText, 120, 4620, 6240, 1500);
    setFixedSize(twips::toPixels(6480), twips::toPixels(6240));

    connect(epromCmdSens, &QPushButton::clicked, this, [this] { SD(settingModePacket(m_ctx.session.address()), 1); });
    connect(epromCmdRD, &QPushButton::clicked, this, [this] {
        if (const auto a = address())
            SD(settingReadPacket(m_ctx.session.address(), *a), 1);
    });
    connect(epromCmdSet, &QPushButton::clicked, this, [this] {
        const auto a = address();
        const auto d = a ? data() : std::nullopt;
        if (a && d)
            SD(settingSetPacket(m_ctx.session.address(), *a, *d), 1);
    });
    connect(epromCmdWR, &QPushButton::clicked, this, [this] {
        const auto a = address();
        const auto d = a ? data() : std::nullopt;
        if (a && d)
            SD(settingWritePacket(m_ctx.session.address(), *a, *d), 1);
    });
    connect(epromWriteProtectRelease, &QPushButton::clicked, this,
            [this] { SD(protectReleasePacket(m_ctx.session.address()), 1); });
}

SendResult FSet::SD(const Packet& packet, int mode)
{
    const SendResult result = m_ctx.session.windowCommand(packet);
    if (result == SendResult::Sent && mode == 1)
        logPacket(m_log, packet);
    return result;
}

Job FSet::changeBaudRate(int i)
{
    if (i < 0 || i >= kBaudRateCodes)
        co_return;
    const int x = m_ctx.session.address();
    // A step that could not go out ends the change: the operator is told to
    // switch the camera off only once the speed has been written.
    if (SD(settingModePacket(x), 1) != SendResult::Sent)
        co_return;
    co_await m_ctx.session.pause(kSpeedStepPause);
    if (SD(protectReleasePacket(x), 1) != SendResult::Sent)
        co_return;
    co_await m_ctx.session.pause(kSpeedStepPause);
    if (SD(baudRatePacket(x, i), 1) != SendResult::Sent)
        co_return;
    m_ctx.messages.notify(QStringLiteral("Factory Set"),
                          QStringLiteral(" Please Turn off the Camera Power and Exit This program."),
                          QMessageBox::NoIcon);
}

void FSet::refuse(const QString& text)
{
    m_ctx.messages.notify(QStringLiteral("Warning"), text, QMessageBox::Warning);
}

std::optional<int> FSet::address()
{
    const std::optional<int> a = hexNumber(epromText1->text().trimmed(), kAddressDigits);
    if (!a)
        refuse(QStringLiteral("The address must be three hexadecimal digits, 000 to FFF.\nNothing was sent."));
    return a;
}

std::optional<int> FSet::data()
{
    const std::optional<int> d = hexNumber(epromText2->text().trimmed(), kDataDigits);
    if (!d)
        refuse(QStringLiteral("The data must be two hexadecimal digits, 00 to FF.\nNothing was sent."));
    return d;
}

} // namespace peltro
