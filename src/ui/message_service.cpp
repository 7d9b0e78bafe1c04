#include "message_service.h"

namespace peltro {

void WidgetMessageService::notify(const QString& title, const QString& text,
                                  QMessageBox::Icon icon, std::function<void()> onOk)
{
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QMessageBox::finished, box, [onOk = std::move(onOk)](int) {
        if (onOk)
            onOk();
    });
    box->open();
    box->raise();
    box->activateWindow();
}

} // namespace peltro
