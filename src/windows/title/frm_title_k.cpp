#include "frm_title_k.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace peltro {

FrmTitleK::FrmTitleK(QWidget* owner)
    : TitleWindow(owner, {"FrmTitle_K", "Title Set", "HPos", "Horizontal Position ", 19, "VPos", "Combo1",
                          "Combo2", "Mouse", "Mouse"})
{
    auto* v = new QVBoxLayout(this);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(new QLabel(QStringLiteral("Title String"), this));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMaxLength(title::kLength);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_text1->setFont(fixed);
    m_text1->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(title::kLength + 2, QLatin1Char('W'))));
    titleRow->addWidget(m_text1);
    titleRow->addStretch();
    v->addLayout(titleRow);
    v->addWidget(positionRow());
    v->addWidget(lookRow());
    v->addWidget(buttonRow());

    v->addWidget(new QLabel(QStringLiteral("Caracter Code List"), this));
    m_text3 = new QPlainTextEdit(this);
    m_text3->setObjectName(QStringLiteral("Text3"));
    m_text3->setReadOnly(true);
    m_text3->setFont(fixed);
    m_text3->setLineWrapMode(QPlainTextEdit::NoWrap);
    QString list = title::codeListText();
    list.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text3->setPlainText(list.chopped(1));
    const QFontMetrics fm(fixed);
    m_text3->setMinimumSize(fm.horizontalAdvance(QString(74, QLatin1Char('W'))), fm.lineSpacing() * 11);
    v->addWidget(m_text3);
    m_text1->setFocus();
}

std::array<int, title::kLength> FrmTitleK::codesToSend()
{
    // The box keeps at most 20 characters: the padding fills it to 20.
    m_text1->setText(m_text1->text() + QString(title::kLength, QLatin1Char(' ')));
    const QString text = m_text1->text();
    std::array<int, title::kLength> codes{};
    for (int i = 0; i < title::kLength; ++i)
        codes[i] = title::Conv(i < text.size() ? text.at(i) : QLatin1Char(' '));
    return codes;
}

void FrmTitleK::clearTitle()
{
    m_text1->clear();
}

} // namespace peltro
