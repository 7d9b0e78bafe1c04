#include "traffic_text.h"

#include <QScrollBar>
#include <QTextCursor>

namespace peltro {

TrafficText::TrafficText(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setFont(QFont(QStringLiteral("Monospace")));
}

void TrafficText::cut()
{
    if (m_text.size() > kLimit)
        m_text = m_text.right(kLimit);
}

void TrafficText::clearText()
{
    m_text.clear();
    refresh();
}

void TrafficText::refresh()
{
    // The box shows lines; a lone CR would show as a second break.
    QString shown = m_text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(shown);
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
}

} // namespace peltro
