#include "frm_md.h"

#include "alarm_check.h"
#include "alarm_packets.h"
#include "frm_main.h"
#include "link.h"
#include "message_service.h"
#include "traffic_text.h"
#include "twips.h"
#include "window_support.h"

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

// The echo of an answer the window read itself: shown in the response box as
// the receive handler shows replies (nothing for a time-out's filler, which
// never came over the line) and the receive handler on again. The window
// judges the answer; it is not taken for the end of a command.
void echoInquiryReply(Link& link, const QByteArray& reply)
{
    PanelState& st = link.state();
    TrafficLog& log = link.traffic();
    st.echo = true;
    if (!link.lastWaitTimedOut()) {
        for (char c : reply) {
            log.append(TrafficLog::Received, Link::hexBytes(QByteArray(1, c)));
            if (static_cast<quint8>(c) == 0xFF) {
                st.replyPending = false;
                st.terminatorReceived = true;
                log.append(TrafficLog::Received, TrafficLog::kLineEnd);
            }
        }
        log.cut(TrafficLog::Received);
        log.publish(TrafficLog::Received);
    }
    if (link.port().rThreshold() == 0)
        link.port().setRThreshold(1);
}

} // namespace

FrmMD::FrmMD(FrmMain& main) : QDialog(&main), m_main(main), m_hold(main, true)
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
    const int address = m_main.state().cameraAddress;
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

void FrmMD::load()
{
    const PanelState& st = m_main.state();
    comboSetMD->setCurrentIndex(st.alarmMode < alarm::kModeCount ? st.alarmMode : -1);
    txtMDday->setText(alarm::levelText(st.alarmDayLevel));
    txtMDdayR->setText(alarm::levelText(st.alarmDayLevel));
    txtMDnight->setText(alarm::levelText(st.alarmNightLevel));
    txtMDnightR->setText(alarm::levelText(st.alarmNightLevel));
    txtMDc->setText(alarm::levelText(st.alarmCurrentLevel));
    m_detect.setSelected(st.alarmOn ? 0 : 1, true);
    placeOnScreen(*this, m_main.pos() + QPoint(twips::toPixels(100), twips::toPixels(100)), m_main);
    show();
}

QString FrmMD::send(const QList<int>& packet)
{
    return sendLogged(m_main, m_log, packet);
}

QByteArray FrmMD::inquire(const QList<int>& inquiry, int count)
{
    Link& link = m_main.link();
    const QByteArray packet = Link::VarArrayToBytes(inquiry);
    link.SD(packet, 0);
    logPacket(m_log, packet);
    const QByteArray answer = link.WaitReply(count);
    echoInquiryReply(link, answer);
    return answer;
}

void FrmMD::noValidAnswer()
{
    m_main.messages().notify(QStringLiteral("Warning"),
                             QStringLiteral("The camera gave no valid answer to the inquiry.\n"
                                            "The window keeps its values."),
                             QMessageBox::Warning);
}

void FrmMD::refuse(const QString& text)
{
    m_main.messages().notify(QStringLiteral("Warning"), text, QMessageBox::Warning);
}

void FrmMD::comSetMD_Click()
{
    const int mode = comboSetMD->currentIndex();
    if (mode < 0)
        return;
    PanelState& st = m_main.state();
    if (send(alarm::modePacket(st.cameraAddress, mode)) != QLatin1String("OK"))
        return;
    st.alarmMode = std::uint8_t(mode);
    st.alarmModeKnown = true;
}

void FrmMD::cmdsetMDinq_Click()
{
    PanelState& st = m_main.state();
    const auto mode = alarm::decodeMode(inquire(alarm::modeInquiry(st.cameraAddress), alarm::kByteAnswer));
    if (!mode) {
        noValidAnswer();
        return;
    }
    st.alarmMode = std::uint8_t(*mode);
    comboSetMD->setCurrentIndex(*mode);
    st.alarmModeKnown = true;
}

void FrmMD::cmdMDstart_Click()
{
    if (!opMDon->isChecked()) {
        sendDetect(false);
        return;
    }
    if (!m_main.refresh().isAuto()) {
        sendDetect(true);
        return;
    }
    QPointer<FrmMD> self(this);
    m_main.messages().ask(QStringLiteral("AutoRefresh Warning"),
                          QStringLiteral("After set this mode, Auto Refresh function will be off."),
                          QMessageBox::Warning, [self](bool ok) {
                              if (ok && self)
                                  self->sendDetect(true);
                          });
}

void FrmMD::sendDetect(bool on)
{
    PanelState& st = m_main.state();
    if (send(alarm::detectPacket(st.cameraAddress, on)) == QLatin1String("OK"))
        st.alarmOn = on;
}

void FrmMD::cmdMDSSunq_Click()
{
    PanelState& st = m_main.state();
    const QByteArray answer = inquire(alarm::detectInquiry(st.cameraAddress), alarm::kByteAnswer);
    if (!alarm::validAnswer(answer, alarm::kByteAnswer)) {
        noValidAnswer();
        return;
    }
    // A value other than on or off changes nothing.
    if (const auto on = alarm::decodeDetect(answer)) {
        st.alarmOn = *on;
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
    PanelState& st = m_main.state();
    if (send(alarm::levelPacket(st.cameraAddress, *day, *night)) != QLatin1String("OK"))
        return;
    st.alarmDayLevel = *day;
    st.dayLevelKnown = true;
    st.alarmNightLevel = *night;
    st.nightLevelKnown = true;
}

void FrmMD::cmdLevelInq_Click()
{
    PanelState& st = m_main.state();
    const auto levels = alarm::decodeLevels(inquire(alarm::levelInquiry(st.cameraAddress), alarm::kLevelAnswer));
    if (!levels) {
        noValidAnswer();
        return;
    }
    txtMDdayR->setText(alarm::levelText(levels->day));
    txtMDnightR->setText(alarm::levelText(levels->night));
    txtMDc->setText(alarm::levelText(levels->current));
    st.alarmDayLevel = levels->day;
    st.alarmNightLevel = levels->night;
    st.alarmCurrentLevel = levels->current;
    st.dayLevelKnown = true;
    st.nightLevelKnown = true;
}

void FrmMD::command1_Click(int index)
{
    if (txtMDc->text().isEmpty())
        return;
    (index == 0 ? txtMDday : txtMDnight)->setText(txtMDc->text());
}

void FrmMD::unload()
{
    PanelState& st = m_main.state();
    if (st.alarmOn && st.alarmModeKnown && st.dayLevelKnown && st.nightLevelKnown)
        st.alarmSettingsRead = true;
    // Switched on here, detection stops auto refresh.
    m_hold.release(RefreshController::Closing::StopIfAlarm);
}

void openAlarmWindow(FrmMain& main)
{
    QPointer<FrmMD> window = new FrmMD(main);
    PanelState& st = main.state();
    if (st.alarmOn && !st.alarmSettingsRead) {
        if (!CheckAlarmStatus(main.link(), st)) {
            main.messages().notify(QStringLiteral("Warning"), alarmNoAnswerText(), QMessageBox::Warning, [window] {
                if (window)
                    window->load();
            });
            return;
        }
    } else {
        st.alarmSettingsRead = false;
    }
    window->load();
}

void installAlarmWindow(FrmMain& main)
{
    QObject::connect(main.action(QStringLiteral("MotionDetecter")), &QAction::triggered, &main,
                     [&main] { openAlarmWindow(main); });
}

} // namespace peltro
