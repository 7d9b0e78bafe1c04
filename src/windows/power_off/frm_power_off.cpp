#include "frm_power_off.h"

#include "alarm_packets.h"
#include "window_support.h"
#include "message_service.h"
#include "twips.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace peltro {

FrmPowerOff::FrmPowerOff(WindowContext& context, poweroff::Timer timer, HoldKind hold)
    : QDialog(&context.main), m_ctx(context), m_timer(timer), m_hold(context, hold)
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

void FrmPowerOff::load(QPoint placement)
{
    placeBeside(*this, m_ctx.main, placement.x(), placement.y());
    show();
    readTimer();
}

Job FrmPowerOff::readTimer()
{
    // The window is live meanwhile; OK waits for the camera's timer.
    okButton->setEnabled(false);
    CameraSession& session = m_ctx.session;
    const std::optional<QByteArray> answer = co_await session.inquire(
        poweroff::inquiry(session.address(), m_timer), poweroff::kAnswer, poweroff::kMaxTries,
        [](const QByteArray& a) { return poweroff::decodeAnswer(a).has_value(); });
    if (answer)
        offTimer->setText(QString::number(*poweroff::decodeAnswer(*answer)));
    else
        session.flushInput();
    session.resumeReceiving();
    okButton->setEnabled(true);
}

void FrmPowerOff::OK_Click()
{
    const auto minutes = poweroff::parseMinutes(offTimer->text());
    if (!minutes) {
        m_ctx.messages.notify(QStringLiteral("Warning"),
                                 QStringLiteral("The Power Off Timer must be a whole number of minutes, "
                                                "0 to 65535.\nNothing was sent."),
                                 QMessageBox::Warning);
        return;
    }
    if (minutes->limited)
        offTimer->setText(QString::number(poweroff::kMaxMinutes));
    if (m_ctx.session.command(poweroff::setPacket(m_ctx.session.address(), m_timer, minutes->value))
        != SendResult::Sent)
        return;
    // A timer set: refreshing is left to the operator from now on.
    m_closing = RefreshHold::Closing::Stop;
    close();
}

void FrmPowerOff::unload()
{
    m_hold.release(m_closing);
}

void openAutoPowerOff(WindowContext& context, HoldKind hold, QPoint placement)
{
    (new FrmPowerOff(context, poweroff::Timer::Auto, hold))->load(placement);
}

Job openNightPowerOff(JobOwner& owner, WindowContext& context, HoldKind hold, QPoint placement)
{
    Q_UNUSED(owner);
    AlarmSettings& a = context.session.alarm();
    if (!a.settingsRead && !co_await context.session.readAlarmSettings()) {
        context.messages.notify(QStringLiteral("Warning"), CameraSession::alarmNoAnswerText(), QMessageBox::Warning);
        co_return;
    }
    const alarm::NightTimer check = alarm::nightTimerCheck(a.on, a.mode, a.dayLevel, a.nightLevel);
    if (check != alarm::NightTimer::Allowed) {
        context.messages.notify(QStringLiteral("Warning"),
                                alarm::nightTimerReason(check)
                                    + QStringLiteral("\nPlease set up it after I implement alarm setting.  "),
                                QMessageBox::Critical);
        co_return;
    }
    (new FrmPowerOff(context, poweroff::Timer::Night, hold))->load(placement);
}

} // namespace peltro
