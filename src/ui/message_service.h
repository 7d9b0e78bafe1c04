#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <functional>

namespace peltro {

// Every message box of the panel goes through one service. The boxes are
// application-modal notices with an OK button, or questions with OK and
// Cancel, opened without a nested event loop; tests install a service that
// records them instead of showing them.
class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows a box; onOk runs once the operator has answered.
    virtual void notify(const QString& title, const QString& text, QMessageBox::Icon icon,
                        std::function<void()> onOk = {}) = 0;
    // Asks with OK and Cancel; onAnswer runs once with true for OK.
    virtual void ask(const QString& title, const QString& text, QMessageBox::Icon icon,
                     std::function<void(bool ok)> onAnswer) = 0;
};

class WidgetMessageService final : public MessageService {
public:
    void notify(const QString& title, const QString& text, QMessageBox::Icon icon,
                std::function<void()> onOk = {}) override;
    void ask(const QString& title, const QString& text, QMessageBox::Icon icon,
             std::function<void(bool ok)> onAnswer) override;
};

// Records the boxes and answers each at once, or, with keepOpen set, keeps
// them open until answerAll() (an operator who has not answered yet).
// Questions get askAnswer (true: OK) as it stands when they are answered.
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
    void ask(const QString& title, const QString& text, QMessageBox::Icon icon,
             std::function<void(bool ok)> onAnswer) override
    {
        boxes.push_back({title, text, icon});
        auto answer = [this, onAnswer = std::move(onAnswer)] {
            if (onAnswer)
                onAnswer(askAnswer);
        };
        if (keepOpen)
            m_open.push_back(std::move(answer));
        else
            answer();
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
    bool askAnswer = true;

private:
    QList<std::function<void()>> m_open;
};

} // namespace peltro
