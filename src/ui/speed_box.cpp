#include "speed_box.h"

#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace peltro {

SpeedText::SpeedText(QWidget* parent) : QLineEdit(parent)
{
    // The validator vets typing only: QLineEdit keeps text set by setText()
    // even when the validator would refuse it.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this));
}

SpeedText::SpeedText(const QString& text, QWidget* parent) : SpeedText(parent)
{
    setText(text);
}

UpDown::UpDown(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QToolButton* up = arrowButton(Qt::UpArrow, QStringLiteral("up"), tr("Up"));
    QToolButton* down = arrowButton(Qt::DownArrow, QStringLiteral("down"), tr("Down"));
    layout->addWidget(up);
    layout->addWidget(down);
    connect(up, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(down, &QToolButton::clicked, this, &UpDown::stepDown);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

QToolButton* UpDown::arrowButton(Qt::ArrowType arrow, const QString& name, const QString& accessibleName)
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setAccessibleName(accessibleName);
    button->setArrowType(arrow);
    // Holding an arrow keeps stepping, as a spinner does.
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedWidth(16);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    return button;
}

void UpDown::setMinimum(int minimum)
{
    m_minimum = minimum;
    m_maximum = std::max(m_maximum, minimum);
}

void UpDown::setMaximum(int maximum)
{
    m_maximum = maximum;
    m_minimum = std::min(m_minimum, maximum);
}

void UpDown::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
}

int UpDown::value() const
{
    if (m_buddy)
        return speedValue(m_buddy->text(), m_minimum, m_maximum);
    return std::clamp(m_value, m_minimum, m_maximum);
}

void UpDown::setValue(int value)
{
    m_value = std::clamp(value, m_minimum, m_maximum);
    if (m_buddy)
        m_buddy->setText(QString::number(m_value));
}

} // namespace peltro
