#pragma once

#include <QPlainTextEdit>

namespace peltro {

// A read-only traffic box. It keeps the exact text (bytes as "81 01 ... FF ",
// CR LF per packet) that reply recognition reads, shows it, and keeps the
// caret at the end so the newest line is in view.
class TrafficText final : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kLimit = 1000;

    explicit TrafficText(QWidget* parent = nullptr);

    const QString& text() const { return m_text; }
    // Appends without refreshing the view; call show() when done.
    void append(const QString& piece) { m_text += piece; }
    // Keeps only the last kLimit characters.
    void cut();
    void clearText();
    // Puts the text into the box and the caret at its end.
    void refresh();

private:
    QString m_text;
};

} // namespace peltro
