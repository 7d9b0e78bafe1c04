#include "frm_md.h"

#include "alarm_packets.h"
#include "window_support.h"
#include "message_service.h"
#include "traffic_text.h"
#include "twips.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace peltro {

namespace {
constexpr double kWidth = 9000;
constexpr double kHeight = 5100;
} // namespace


FrmMD::FrmMD(WindowContext& context, HoldKind hold) : QDialog(&context.main), m_ctx(context), m_hold(context, hold)
{
    setObjectName(QStringLiteral("FrmMD"));
    setWindowTitle(QStringLiteral("Alarm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    build();
    setFixedSize(twips::toPixels(kWidth), twips::toPixels(kHeight));

    connect(comSetMD, &QPushButton::clicked, this, &FrmMD::comSetMD_Click);
    connect(cmdsetMDinq, &QPushButton::clicked, this, &FrmMD::cmdsetMDinq_Click);
    connect(cmdMDstart, &QPushButton::clicked, this, &FrmMD::cmdMDstart_Click);
    connect(cmdMDSSunq, &QPushButton::clicked, this, &FrmMD::cmdMDSSunq_Click);
    connect(cmdsetMDtime, &QPushButton::clicked, this, &FrmMD::cmdsetMDtime_Click);
    connect(cmdLevelInq, &QPushButton::clicked, this, &FrmMD::cmdLevelInq_Click);
    for (int i = 0; i < 2; ++i)
        connect(command1[i], &QPushButton::clicked, this, [this, i] { command1_Click(i); });
    const int address = m_ctx.session.address();
    connect(cmdDisplay, &QPushButton::clicked, this, [this, address] { send(alarm::displayPacket(address, true)); });
    connect(cmdMDdisplayOFF, &QPushButton::clicked, this,
            [this, address] { send(alarm::displayPacket(address, false)); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(this, &QDialog::finished, this, &FrmMD::unload);
}

void FrmMD::build()
{
    auto frame = [this](const char* name, const char* caption, double top, double height) {
        auto* box = new QGroupBox(QString::fromLatin1(caption), this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(twips::toRect(120, top, 4560, height));
        return box;
    };
    auto button = [](QWidget* parent, const QString& name, const char* caption, double l, double t, double w) {
        auto* b = new QPushButton(QString::fromLatin1(caption), parent);
        b->setObjectName(name);
        b->setGeometry(twips::toRect(l, t, w, 345));
        return b;
    };
    int labels = 0;
    auto label = [&labels](QWidget* parent, const char* caption, double l, double t, double w) {
        auto* lbl = new QLabel(QString::fromLatin1(caption), parent);
        lbl->setObjectName(QStringLiteral("LblMD_%1").arg(labels++));
        lbl->setGeometry(twips::toRect(l, t, w, 255));
    };
    auto box = [](QWidget* parent, const char* name, const char* text, double l, double t, double w) {
        auto* edit = new QLineEdit(QString::fromLatin1(text), parent);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setGeometry(twips::toRect(l, t, w, 315));
        return edit;
    };

    QGroupBox* mode = frame("FmSetMode", "Set Alarm Mode", 60, 1140);
    comboSetMD = new QComboBox(mode);
    comboSetMD->setObjectName(QStringLiteral("ComboSetMD"));
    comboSetMD->addItems(alarm::modeNames());
    comboSetMD->setGeometry(twips::toRect(120, 300, 2520, 315));
    comSetMD = button(mode, QStringLiteral("comSetMD"), "Send Command", 120, 690, 1980);
    cmdsetMDinq = button(mode, QStringLiteral("cmdsetMDinq"), "Inquiry Command", 2220, 690, 1980);

    QGroupBox* detect = frame("FmDetect", "Alarm Detect", 1260, 1140);
    opMDon = new OptionButton(QStringLiteral("ON"), detect);
    opMDon->setObjectName(QStringLiteral("OpMDon"));
    opMDon->setGeometry(twips::toRect(180, 300, 900, 285));
    opMDoff = new OptionButton(QStringLiteral("OFF"), detect);
    opMDoff->setObjectName(QStringLiteral("OpMDoff"));
    opMDoff->setGeometry(twips::toRect(1140, 300, 900, 285));
    m_detect.addButton(opMDon, 0);
    m_detect.addButton(opMDoff, 1);
    m_detect.setSelected(0, true);
    cmdMDstart = button(detect, QStringLiteral("cmdMDstart"), "Start/Stop", 120, 690, 1980);
    cmdMDSSunq = button(detect, QStringLiteral("cmdMDSSunq"), "Inquiry Command", 2220, 690, 1980);

    QGroupBox* level = frame("FmLevel", "Set Day/Night AE Level", 2460, 2040);
    label(level, "Day", 120, 330, 480);
    txtMDday = box(level, "txtMDday", "FFF", 600, 300, 660);
    label(level, "Night", 1380, 330, 540);
    txtMDnight = box(level, "txtMDnight", "FFF", 1920, 300, 660);
    cmdsetMDtime = button(level, QStringLiteral("cmdsetMDtime"), "Send Command", 2760, 285, 1680);
    cmdLevelInq = button(level, QStringLiteral("cmdLevelInq"), "Level Inquiry", 120, 780, 1980);
    label(level, "Day", 120, 1260, 780);
    txtMDdayR = box(level, "txtMDdayR", "", 120, 1530, 780);
    label(level, "Night", 1020, 1260, 780);
    txtMDnightR = box(level, "txtMDnightR", "", 1020, 1530, 780);
    label(level, "Now", 1920, 1260, 780);
    // The read-back boxes stay editable: the operator may put a level of his
    // own (or nothing) into "Now" before "Now Value Set" copies it.
    txtMDc = box(level, "txtMDc", "", 1920, 1530, 780);
    frame1 = new QGroupBox(QStringLiteral("Now Value Set"), level);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(twips::toRect(2880, 1020, 1560, 900));
    command1[0] = button(frame1, QStringLiteral("Command1_0"), "Day", 90, 390, 660);
    command1[1] = button(frame1, QStringLiteral("Command1_1"), "Night", 810, 390, 660);

    cmdDisplay = button(this, QStringLiteral("cmdDisplay"), "Display ON", 120, 4620, 1440);
    cmdMDdisplayOFF = button(this, QStringLiteral("cmdMDdisplayOFF"), "Display OFF", 1680, 4620, 1440);
    cmdClose = button(this, QStringLiteral("CmdClose"), "Close", 3240, 4620, 1440);

    txtMD = new TrafficText(m_log, TrafficLog::Sent, this);
    txtMD->setObjectName(QStringLiteral("txtMD"));
    txtMD->setGeometry(twips::toRect(4800, 150, 4080, 4815));
}

void FrmMD::load(QPoint placement)
{
    const AlarmSettings& a = m_ctx.session.alarm();
    comboSetMD->setCurrentIndex(a.mode < alarm::kModeCount ? a.mode : -1);
    txtMDday->setText(alarm::levelText(a.dayLevel));
    txtMDdayR->setText(alarm::levelText(a.dayLevel));
    txtMDnight->setText(alarm::levelText(a.nightLevel));
    txtMDnightR->setText(alarm::levelText(a.nightLevel));
    txtMDc->setText(alarm::levelText(a.currentLevel));
    m_detect.setSelected(a.on ? 0 : 1, true);
    placeBeside(*this, m_ctx.main, placement.x(), placement.y());
    show();
}

SendResult FrmMD::send(const Packet& packet)
{
    return sendLogged(m_ctx.session, m_log, packet);
}

Task<std::optional<QByteArray>> FrmMD::inquire(Packet inquiry, int count)
{
    CameraSession& session = m_ctx.session;
    // On a lost link nothing goes out: the status line says so, and the log
    // shows only what was written. One exchange at a time.
    if (session.refuseIfLinkLost() || session.busy())
        co_return std::nullopt;
    logPacket(m_log, inquiry);
    const QByteArray answer = co_await session.exchange(inquiry, count);
    // The answer is echoed as the receive handler echoes replies (a
    // time-out's filler never came over the line); the window judges it.
    session.echoAnswer(answer);
    co_return answer;
}

void FrmMD::noValidAnswer()
{
    m_ctx.messages.notify(QStringLiteral("Warning"),
                             QStringLiteral("The camera gave no valid answer to the inquiry.\n"
                                            "The window keeps its values."),
                             QMessageBox::Warning);
}

void FrmMD::refuse(const QString& text)
{
    m_ctx.messages.notify(QStringLiteral("Warning"), text, QMessageBox::Warning);
}

void FrmMD::comSetMD_Click()
{
    const int mode = comboSetMD->currentIndex();
    if (mode < 0)
        return;
    AlarmSettings& a = m_ctx.session.alarm();
    if (send(alarm::modePacket(m_ctx.session.address(), mode)) != SendResult::Sent)
        return;
    a.mode = std::uint8_t(mode);
    a.modeKnown = true;
}

Job FrmMD::cmdsetMDinq_Click()
{
    AlarmSettings& a = m_ctx.session.alarm();
    const auto answer = co_await inquire(alarm::modeInquiry(m_ctx.session.address()), alarm::kByteAnswer);
    if (!answer)
        co_return;
    const auto mode = alarm::decodeMode(*answer);
    if (!mode) {
        noValidAnswer();
        co_return;
    }
    a.mode = std::uint8_t(*mode);
    comboSetMD->setCurrentIndex(*mode);
    a.modeKnown = true;
}

void FrmMD::cmdMDstart_Click()
{
    if (!opMDon->isChecked()) {
        sendDetect(false);
        return;
    }
    if (!m_ctx.session.refresh().isAuto()) {
        sendDetect(true);
        return;
    }
    QPointer<FrmMD> self(this);
    m_ctx.messages.ask(QStringLiteral("AutoRefresh Warning"),
                          QStringLiteral("After set this mode, Auto Refresh function will be off."),
                          QMessageBox::Warning, [self](bool ok) {
                              if (ok && self)
                                  self->sendDetect(true);
                          });
}

void FrmMD::sendDetect(bool on)
{
    if (send(alarm::detectPacket(m_ctx.session.address(), on)) == SendResult::Sent)
        m_ctx.session.alarm().on = on;
}

Job FrmMD::cmdMDSSunq_Click()
{
    const auto answer = co_await inquire(alarm::detectInquiry(m_ctx.session.address()), alarm::kByteAnswer);
    if (!answer)
        co_return;
    if (!alarm::validAnswer(*answer, alarm::kByteAnswer)) {
        noValidAnswer();
        co_return;
    }
    // A value other than on or off changes nothing.
    if (const auto on = alarm::decodeDetect(*answer)) {
        m_ctx.session.alarm().on = *on;
        m_detect.setSelected(*on ? 0 : 1, true);
    }
}

void FrmMD::cmdsetMDtime_Click()
{
    const auto day = alarm::parseLevel(txtMDday->text());
    const auto night = alarm::parseLevel(txtMDnight->text());
    if (!day || !night) {
        refuse(QStringLiteral("The %1 level must be three hexadecimal digits, 000 to FFF.\nNothing was sent.")
                   .arg(day ? QStringLiteral("Night") : QStringLiteral("Day")));
        return;
    }
    AlarmSettings& a = m_ctx.session.alarm();
    if (send(alarm::levelPacket(m_ctx.session.address(), *day, *night)) != SendResult::Sent)
        return;
    a.dayLevel = *day;
    a.dayKnown = true;
    a.nightLevel = *night;
    a.nightKnown = true;
}

Job FrmMD::cmdLevelInq_Click()
{
    AlarmSettings& a = m_ctx.session.alarm();
    const auto answer = co_await inquire(alarm::levelInquiry(m_ctx.session.address()), alarm::kLevelAnswer);
    if (!answer)
        co_return;
    const auto levels = alarm::decodeLevels(*answer);
    if (!levels) {
        noValidAnswer();
        co_return;
    }
    txtMDdayR->setText(alarm::levelText(levels->day));
    txtMDnightR->setText(alarm::levelText(levels->night));
    txtMDc->setText(alarm::levelText(levels->current));
    a.dayLevel = levels->day;
    a.nightLevel = levels->night;
    a.currentLevel = levels->current;
    a.dayKnown = true;
    a.nightKnown = true;
}

void FrmMD::command1_Click(int index)
{
    if (txtMDc->text().isEmpty())
        return;
    (index == 0 ? txtMDday : txtMDnight)->setText(txtMDc->text());
}

void FrmMD::unload()
{
    AlarmSettings& a = m_ctx.session.alarm();
    if (a.on && a.modeKnown && a.dayKnown && a.nightKnown)
        a.settingsRead = true;
    // Switched on here, detection stops auto refresh.
    m_hold.release(RefreshHold::Closing::StopIfAlarm);
}

Job FrmMD::open(QPoint placement)
{
    AlarmSettings& a = m_ctx.session.alarm();
    if (a.on && !a.settingsRead) {
        if (!co_await m_ctx.session.readAlarmSettings()) {
            QPointer<FrmMD> self(this);
            m_ctx.messages.notify(QStringLiteral("Warning"), CameraSession::alarmNoAnswerText(), QMessageBox::Warning,
                                  [self, placement] {
                                      if (self)
                                          self->load(placement);
                                  });
            co_return;
        }
    } else {
        a.settingsRead = false;
    }
    load(placement);
}

void openAlarmWindow(WindowContext& context, HoldKind hold, QPoint placement)
{
    (new FrmMD(context, hold))->open(placement);
}

} // namespace peltro
