#include "traffic_text.h"

#include <QTextCursor>

namespace peltro {

TrafficText::TrafficText(TrafficLog& log, TrafficLog::Box box, QWidget* parent)
    : QPlainTextEdit(parent), m_log(log), m_box(box)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setFont(QFont(QStringLiteral("Monospace")));
    connect(&m_log, &TrafficLog::changed, this, [this](TrafficLog::Box changed) {
        if (changed == m_box)
            refresh();
    });
    refresh();
}

void TrafficText::refresh()
{
    // The box shows lines; a lone CR would show as a second break.
    QString shown = m_log.text(m_box);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(shown);
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
}

} // namespace peltro
