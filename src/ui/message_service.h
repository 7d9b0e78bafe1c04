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

// Records the boxes and answers each at once, or, with keepOpen set, keeps
// them open until answerAll() (an operator who has not answered yet).
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
        if (keepOpen)
            m_open.push_back(std::move(onOk));
        else if (onOk)
            onOk();
    }
    int openCount() const { return int(m_open.size()); }
    void answerAll()
    {
        QList<std::function<void()>> open;
        open.swap(m_open);
        for (const auto& onOk : open) {
            if (onOk)
                onOk();
        }
    }

    QList<Box> boxes;
    bool keepOpen = false;

private:
    QList<std::function<void()>> m_open;
};

} // namespace peltro
