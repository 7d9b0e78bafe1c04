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
    // show(), not open(): open() makes a box window-modal, and a box with no
    // parent window then blocks nothing, so the panel would stay usable
    // under an unanswered warning.
    box->show();
    box->raise();
    box->activateWindow();
}

} // namespace peltro
