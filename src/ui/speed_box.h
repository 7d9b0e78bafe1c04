#pragma once

#include "hex_text.h"

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QToolButton;

namespace peltro {

// A speed box. Typing is limited to three digits so that no junk gets in;
// text set by the program is kept exactly as set.
class SpeedText : public QLineEdit {
    Q_OBJECT
public:
    explicit SpeedText(QWidget* parent = nullptr);
    SpeedText(const QString& text, QWidget* parent = nullptr);
};

// A spinner: two small stacked arrow buttons that step a number within
// minimum..maximum and write it into a buddy box as decimal text. Each step
// starts from the number the buddy shows, so a typed value is where it goes
// on from. Changing the range leaves the buddy's text alone.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    void setBuddy(QLineEdit* buddy) { m_buddy = buddy; }
    QLineEdit* buddy() const { return m_buddy; }

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int increment() const { return m_increment; }
    void setMinimum(int minimum);
    void setMaximum(int maximum);
    void setRange(int minimum, int maximum);
    void setIncrement(int increment) { m_increment = increment; }

    // The buddy's number within the range (the last value set when there is
    // no buddy).
    int value() const;
    // Keeps the value within the range and writes it into the buddy.
    void setValue(int value);

public Q_SLOTS:
    void stepUp() { setValue(value() + m_increment); }
    void stepDown() { setValue(value() - m_increment); }

private:
    QToolButton* arrowButton(Qt::ArrowType arrow, const QString& name, const QString& accessibleName);

    QPointer<QLineEdit> m_buddy;
    int m_minimum = 0;
    int m_maximum = 10;
    int m_increment = 1;
    int m_value = 0;
};

} // namespace peltro
