#include "title_window.h"

#include "speed_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace peltro {

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    // Enter in a text box or a character cell must not press a button.
    b->setAutoDefault(false);
    return b;
}

QComboBox* itemList(QWidget* parent, const char* name, const QStringList& items)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    for (int i = 0; i < items.size(); ++i)
        combo->addItem(items[i], i);
    // Nothing is selected until the operator picks an entry.
    combo->setCurrentIndex(-1);
    return combo;
}

} // namespace

TitleWindow::TitleWindow(QWidget* owner, const Names& names) : QDialog(owner)
{
    setObjectName(QString::fromLatin1(names.window));
    setWindowTitle(QString::fromLatin1(names.caption));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);

    m_horizontalLabel = QString::fromLatin1(names.horizontalLabel);
    m_horizontal = new QLineEdit(QStringLiteral("0"), this);
    m_horizontal->setObjectName(QString::fromLatin1(names.horizontal));
    m_horizontalUpDown = new UpDown(this);
    m_horizontalUpDown->setObjectName(QStringLiteral("UpDown1"));
    m_horizontalUpDown->setRange(0, names.horizontalMax);
    m_horizontalUpDown->setBuddy(m_horizontal);
    m_vertical = new QLineEdit(QStringLiteral("0"), this);
    m_vertical->setObjectName(QString::fromLatin1(names.vertical));
    m_verticalUpDown = new UpDown(this);
    m_verticalUpDown->setObjectName(QStringLiteral("UpDown2"));
    m_verticalUpDown->setRange(0, 10);
    m_verticalUpDown->setBuddy(m_vertical);
    for (QLineEdit* box : {m_horizontal, m_vertical})
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000")));

    m_colour = itemList(this, names.colour,
                        {QStringLiteral("White"), QStringLiteral("Yellow"), QStringLiteral("Violet"),
                         QStringLiteral("Red"), QStringLiteral("Cyan"), QStringLiteral("Green"),
                         QStringLiteral("Blue")});
    m_blink = itemList(this, names.blink, {QStringLiteral("No Blink"), QStringLiteral("Blink")});
    m_display = new QCheckBox(QStringLiteral("Title Display"), this);
    m_display->setObjectName(QStringLiteral("Check1"));

    m_ok = button(this, "OK", QStringLiteral("OK"));
    m_cancel = button(this, "Cancel", QStringLiteral("Cancel"));
    m_clear = button(this, "Clear", QStringLiteral("Clear"));
    m_switch = button(this, names.switchButton, QString::fromLatin1(names.switchCaption));
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::close);
}

void TitleWindow::done(int result)
{
    // Every way of closing ends here; the closing rule runs once.
    if (!m_closed) {
        m_closed = true;
        Q_EMIT closing();
    }
    QDialog::done(result);
    // Closing unloads the window; the next opening starts afresh.
    deleteLater();
}

QWidget* TitleWindow::positionRow()
{
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(new QLabel(m_horizontalLabel, row));
    h->addWidget(m_horizontal);
    h->addWidget(m_horizontalUpDown);
    h->addSpacing(16);
    h->addWidget(new QLabel(QStringLiteral("Vertical Position"), row));
    h->addWidget(m_vertical);
    h->addWidget(m_verticalUpDown);
    h->addStretch();
    return row;
}

QWidget* TitleWindow::lookRow()
{
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(new QLabel(QStringLiteral("Color"), row));
    h->addWidget(m_colour);
    h->addSpacing(16);
    h->addWidget(new QLabel(QStringLiteral("Blink"), row));
    h->addWidget(m_blink);
    h->addSpacing(16);
    h->addWidget(m_display);
    h->addStretch();
    return row;
}

QWidget* TitleWindow::buttonRow()
{
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    for (QPushButton* b : {m_ok, m_cancel, m_clear, m_switch})
        h->addWidget(b);
    h->addStretch();
    return row;
}

} // namespace peltro
