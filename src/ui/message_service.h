#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <functional>

namespace peltro {

// Every message box of the panel goes through one service. The boxes are
// application-modal notices with an OK button, opened without a nested event
// loop; tests install a service that records them instead of showing them.
class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows a box; onOk runs once the operator has answered.
    virtual void notify(const QString& title, const QString& text, QMessageBox::Icon icon,
                        std::function<void()> onOk = {}) = 0;
};

class WidgetMessageService final : public MessageService {
public:
    void notify(const QString& title, const QString& text, QMessageBox::Icon icon,
                std::function<void()> onOk = {}) override;
};

// Records the boxes and answers each at once.
class RecordingMessageService final : public MessageService {
public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon;
    };
    void notify(const QString& title, const QString& text, QMessageBox::Icon icon,
                std::function<void()> onOk = {}) override
    {
        boxes.push_back({title, text, icon});
        if (onOk)
            onOk();
    }
    QList<Box> boxes;
};

} // namespace peltro
