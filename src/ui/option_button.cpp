#include "option_button.h"

namespace peltro {

OptionButton::OptionButton(QWidget* parent) : QRadioButton(parent)
{
    // Auto-exclusive siblings could not all be unselected.
    setAutoExclusive(false);
}

OptionButton::OptionButton(const QString& text, QWidget* parent) : OptionButton(parent)
{
    setText(text);
}

void OptionButton::nextCheckState()
{
    // Only the operator's clicks get here. A non-exclusive radio button
    // would toggle; an option button stays selected.
    if (isChecked())
        return;
    setChecked(true);
    Q_EMIT selectedByUser();
}

OptionGroup::OptionGroup(QObject* parent) : QObject(parent) {}

void OptionGroup::addButton(OptionButton* button, int index)
{
    m_buttons[index] = button;
    connect(button, &OptionButton::selectedByUser, this, [this, index] {
        selectOnly(index);
        Q_EMIT selected(index);
    });
}

OptionButton* OptionGroup::button(int index) const
{
    const auto it = m_buttons.find(index);
    return it == m_buttons.end() ? nullptr : it->second.data();
}

int OptionGroup::selectedIndex() const
{
    for (const auto& [index, button] : m_buttons) {
        if (button && button->isChecked())
            return index;
    }
    return -1;
}

void OptionGroup::setSelected(int index, bool selected)
{
    if (selected) {
        selectOnly(index);
    } else if (OptionButton* b = button(index)) {
        b->setChecked(false);
    }
}

void OptionGroup::clear()
{
    for (const auto& [index, button] : m_buttons) {
        if (button)
            button->setChecked(false);
    }
}

void OptionGroup::selectOnly(int index)
{
    for (const auto& [i, button] : m_buttons) {
        if (button)
            button->setChecked(i == index);
    }
}

} // namespace peltro
