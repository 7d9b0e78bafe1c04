#pragma once

#include <QObject>
#include <QPointer>
#include <QRadioButton>
#include <map>

namespace peltro {

// An option button the program can unselect. Qt's exclusive groups (and a
// radio button's own auto-exclusivity) refuse to unselect the selected
// button, so the exclusivity lives in OptionGroup instead. Clicking a
// selected button leaves it selected and is no news.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(QWidget* parent = nullptr);
    explicit OptionButton(const QString& text, QWidget* parent = nullptr);

Q_SIGNALS:
    // The operator selected this button (mouse, space bar or shortcut); it
    // was unselected before. The program's setChecked() never emits it.
    void selectedByUser();

protected:
    void nextCheckState() override;
};

// Buttons of one choice, each with an index. When the operator selects one,
// the others are unselected and selected(index) is emitted. The program may
// select or unselect any button, including leaving none selected, and that
// never emits anything.
class OptionGroup : public QObject {
    Q_OBJECT
public:
    explicit OptionGroup(QObject* parent = nullptr);

    void addButton(OptionButton* button, int index);
    OptionButton* button(int index) const;
    // The selected button's index, -1 when none is.
    int selectedIndex() const;

    // Selecting one unselects the others; unselecting touches only that one.
    void setSelected(int index, bool selected);
    void clear();

Q_SIGNALS:
    void selected(int index);

private:
    void selectOnly(int index);

    std::map<int, QPointer<OptionButton>> m_buttons;
};

} // namespace peltro
