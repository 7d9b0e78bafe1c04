#include "frm_power_off.h"

#include "alarm_check.h"
#include "alarm_packets.h"
#include "frm_main.h"
#include "link.h"
#include "message_service.h"
#include "twips.h"
#include "window_support.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace peltro {

FrmPowerOff::FrmPowerOff(FrmMain& main, poweroff::Timer timer)
    : QDialog(&main), m_main(main), m_timer(timer), m_hold(main, false)
{
    const bool autoTimer = timer == poweroff::Timer::Auto;
    setObjectName(autoTimer ? QStringLiteral("FrmAutoPOff") : QStringLiteral("FrmNightPOff"));
    setWindowTitle(autoTimer ? QStringLiteral("Auto Power Off") : QStringLiteral("Night Power Off"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);

    auto* range = new QLabel(QStringLiteral("Power Off Timer ( 0 [off]  - 65535 min)"), this);
    range->setObjectName(QStringLiteral("Label1"));
    range->setGeometry(twips::toRect(240, 240, 5160, 255));
    offTimer = new QLineEdit(this);
    offTimer->setObjectName(QStringLiteral("OffTimer"));
    offTimer->setGeometry(twips::toRect(240, 570, 1560, 315));
    if (autoTimer) {
        auto* warning = new QLabel(QStringLiteral("After set this timer, Auto Refresh function will be off."), this);
        warning->setObjectName(QStringLiteral("Label2"));
        warning->setGeometry(twips::toRect(240, 1020, 5160, 255));
    }
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OK"));
    okButton->setGeometry(twips::toRect(1440, 1440, 1200, 375));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("Cancel"));
    cancelButton->setGeometry(twips::toRect(2880, 1440, 1200, 375));
    setFixedSize(twips::toPixels(5640), twips::toPixels(2040));

    connect(okButton, &QPushButton::clicked, this, &FrmPowerOff::OK_Click);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::close);
    connect(this, &QDialog::finished, this, &FrmPowerOff::unload);
}

void FrmPowerOff::load()
{
    readTimer();
    placeOnScreen(*this, m_main.pos() + QPoint(twips::toPixels(500), twips::toPixels(1000)), m_main);
    show();
}

void FrmPowerOff::readTimer()
{
    Link& link = m_main.link();
    const QByteArray packet = Link::VarArrayToBytes(poweroff::inquiry(m_main.state().cameraAddress, m_timer));
    bool read = false;
    for (int tries = 0; tries < poweroff::kMaxTries && !read; ++tries) {
        link.SD(packet, 0);
        if (const auto minutes = poweroff::decodeAnswer(link.WaitReply(poweroff::kAnswer))) {
            offTimer->setText(QString::number(*minutes));
            read = true;
        }
    }
    if (!read)
        link.flushInput();
    resumeReceiving(link);
}

void FrmPowerOff::OK_Click()
{
    const auto minutes = poweroff::parseMinutes(offTimer->text());
    if (!minutes) {
        m_main.messages().notify(QStringLiteral("Warning"),
                                 QStringLiteral("The Power Off Timer must be a whole number of minutes, "
                                                "0 to 65535.\nNothing was sent."),
                                 QMessageBox::Warning);
        return;
    }
    if (minutes->limited)
        offTimer->setText(QString::number(poweroff::kMaxMinutes));
    const QList<int> packet = poweroff::setPacket(m_main.state().cameraAddress, m_timer, minutes->value);
    if (m_main.link().SD(Link::VarArrayToBytes(packet), 1) != QLatin1String("OK"))
        return;
    // A timer set: refreshing is left to the operator from now on.
    m_closing = RefreshController::Closing::Stop;
    close();
}

void FrmPowerOff::unload()
{
    m_hold.release(m_closing);
}

namespace {

void openDialog(FrmMain& main, poweroff::Timer timer)
{
    (new FrmPowerOff(main, timer))->load();
}

} // namespace

void openAutoPowerOff(FrmMain& main)
{
    openDialog(main, poweroff::Timer::Auto);
}

void openNightPowerOff(FrmMain& main)
{
    PanelState& st = main.state();
    if (!st.alarmSettingsRead && !CheckAlarmStatus(main.link(), st)) {
        main.messages().notify(QStringLiteral("Warning"), alarmNoAnswerText(), QMessageBox::Warning);
        return;
    }
    const alarm::NightTimer check =
        alarm::nightTimerCheck(st.alarmOn, st.alarmMode, st.alarmDayLevel, st.alarmNightLevel);
    if (check != alarm::NightTimer::Allowed) {
        main.messages().notify(QStringLiteral("Warning"),
                               alarm::nightTimerReason(check)
                                   + QStringLiteral("\nPlease set up it after I implement alarm setting.  "),
                               QMessageBox::Critical);
        return;
    }
    openDialog(main, poweroff::Timer::Night);
}

void installPowerOffDialogs(FrmMain& main)
{
    QObject::connect(main.action(QStringLiteral("AutoPowerOff")), &QAction::triggered, &main,
                     [&main] { openAutoPowerOff(main); });
    QObject::connect(main.action(QStringLiteral("NightPowerOff")), &QAction::triggered, &main,
                     [&main] { openNightPowerOff(main); });
}

} // namespace peltro
