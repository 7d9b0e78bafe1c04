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

void WidgetMessageService::ask(const QString& title, const QString& text, QMessageBox::Icon icon,
                               std::function<void(bool ok)> onAnswer)
{
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok | QMessageBox::Cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Cancel);
    // Closing the box by its frame counts as Cancel, the escape button.
    QObject::connect(box, &QMessageBox::finished, box, [box, onAnswer = std::move(onAnswer)](int) {
        if (onAnswer)
            onAnswer(box->clickedButton() == box->button(QMessageBox::Ok));
    });
    box->show();   // application-modal, like the notices
    box->raise();
    box->activateWindow();
}

} // namespace peltro
