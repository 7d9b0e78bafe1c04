#include "direct_console.h"

#include "link.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace peltro {

DirectConsole::DirectConsole(QLineEdit* box, Link& link, QObject* parent)
    : QObject(parent), m_box(box), m_link(link)
{
    // Pasted text is held to the same characters as typed text.
    m_box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-F]*")), m_box));
    m_box->installEventFilter(this);
}

bool DirectConsole::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_box || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (m_box->text().size() % 2 == 0) {
            m_link.SendDirect(m_box->text());
            m_box->clear();
        }
        return true;
    }
    const QString text = key->text();
    if (text.size() != 1 || !text.at(0).isPrint())
        return false;  // backspace, cursor keys and the like work as usual
    const QChar c = text.at(0);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))
        return false;
    if (c >= 'a' && c <= 'f') {
        m_box->insert(QString(c.toUpper()));
        return true;
    }
    return true;  // anything else is not inserted
}

} // namespace peltro
