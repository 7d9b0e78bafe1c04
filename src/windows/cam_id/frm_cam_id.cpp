#include "frm_cam_id.h"

#include "window_support.h"
#include "message_service.h"
#include "setting_packets.h"
#include "twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace peltro {

FrmCamID::FrmCamID(WindowContext& context) : QDialog(&context.main), m_ctx(context)
{
    setObjectName(QStringLiteral("FrmCamID"));
    setWindowTitle(QStringLiteral("Camera ID Write"));

    label = new QLabel(QStringLiteral("Camera ID ( 0 - 65535 )"), this);
    label->setObjectName(QStringLiteral("LblID"));
    twips::place(label, 240, 240, 2760, 255);
    id = new QLineEdit(this);
    id->setObjectName(QStringLiteral("ID"));
    twips::place(id, 240, 540, 1500, 315);
    ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    twips::place(ok, 240, 1080, 1200, 375);
    cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    twips::place(cancel, 1560, 1080, 1200, 375);
    setFixedSize(twips::toPixels(3000), twips::toPixels(1695));

    connect(ok, &QPushButton::clicked, this, &FrmCamID::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmCamID::onOk()
{
    std::optional<long long> value = wholeNumber(id->text());
    // A negative ID has no encoding: it is refused like text that is no number.
    if (!value || *value < 0) {
        m_ctx.messages.notify(QStringLiteral("Warning"),
                            QStringLiteral("The camera ID must be a number from 0 to %1.\n"
                                           "The camera ID was not written.")
                                .arg(kMaxCameraId),
                            QMessageBox::Warning);
        return;
    }
    const int written = int(std::min<long long>(*value, kMaxCameraId));
    id->setText(QString::number(written));
    m_ctx.session.writeCameraId(written);
    Q_EMIT idWritten(written);
    accept();
}

} // namespace peltro
