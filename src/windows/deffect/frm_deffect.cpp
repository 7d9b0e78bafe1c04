#include "frm_deffect.h"

#include "window_support.h"
#include "message_service.h"
#include "setting_packets.h"
#include "speed_box.h"
#include "twips.h"

#include <QLineEdit>
#include <QPushButton>

namespace peltro {

FrmDeffect::FrmDeffect(WindowContext& context) : QDialog(&context.main), m_ctx(context)
{
    setObjectName(QStringLiteral("FrmDeffect"));
    setWindowTitle(QStringLiteral("Digital Effect Level"));

    deLevel = new QLineEdit(QStringLiteral("0"), this);
    deLevel->setObjectName(QStringLiteral("DELevel"));
    twips::place(deLevel, 600, 360, 900, 315);
    upDown1 = new UpDown(this);
    upDown1->setObjectName(QStringLiteral("UpDown1"));
    upDown1->setRange(0, kMaxEffectLevel);
    upDown1->setBuddy(deLevel);
    twips::place(upDown1, 1500, 360, 240, 315);
    deLevelOK = new QPushButton(QStringLiteral("OK"), this);
    deLevelOK->setObjectName(QStringLiteral("DELevelOK"));
    deLevelOK->setDefault(true);
    twips::place(deLevelOK, 240, 1020, 1200, 375);
    deLevelCancel = new QPushButton(QStringLiteral("Cancel"), this);
    deLevelCancel->setObjectName(QStringLiteral("DELevelCancel"));
    twips::place(deLevelCancel, 1560, 1020, 1200, 375);
    setFixedSize(twips::toPixels(3000), twips::toPixels(1635));

    // Typing and the spinner alike are the operator's change.
    connect(deLevel, &QLineEdit::textChanged, this, [this] {
        if (!m_filling)
            m_edited = true;
    });
    connect(deLevelOK, &QPushButton::clicked, this, &FrmDeffect::onOk);
    connect(deLevelCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmDeffect::fill(int level)
{
    m_filling = true;
    deLevel->setText(QString::number(level));
    m_filling = false;
    m_edited = false;
}

void FrmDeffect::showCameraLevel(int level)
{
    if (!m_edited)
        fill(level);
}

void FrmDeffect::onOk()
{
    const std::optional<long long> level = wholeNumber(deLevel->text());
    if (!level || *level < 0 || *level > kMaxEffectLevel) {
        m_ctx.messages.notify(QStringLiteral("Warning"),
                            QStringLiteral("The effect level must be a number from 0 to %1.\n"
                                           "The effect level was not sent.")
                                .arg(kMaxEffectLevel),
                            QMessageBox::Warning);
        return;
    }
    m_ctx.session.command(effectLevelPacket(m_ctx.session.address(), int(*level)));
    fill(int(*level));
    Q_EMIT levelSent(int(*level));
    accept();
}

} // namespace peltro
