#pragma once

// Small helpers for driving the main window's camera controls by name.
#include "app_rig.h"
#include "frm_main.h"
#include "traffic_text.h"

#include <QAbstractButton>
#include <QtTest>

namespace peltro::test {

inline QStringList hexList(const QList<QByteArray>& writes)
{
    QStringList out;
    for (const QByteArray& w : writes)
        out << hex(w);
    return out;
}

// "47 00|18 01" -> {"81 01 04 47 00 FF", "81 01 04 18 01 FF"}; "" -> none.
inline QStringList commands(const QString& bodies)
{
    QStringList out;
    for (const QString& body : bodies.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        out << QStringLiteral("81 01 04 ") + body + QStringLiteral(" FF");
    return out;
}

// Enabled states of the named controls as a string of 0 and 1.
inline QString enabledStates(FrmMain& main, const QStringList& names)
{
    QString out;
    for (const QString& n : names)
        out += main.control<QWidget>(n)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}

// Clicks a button or check box with the mouse, or picks a menu item.
inline void operate(FrmMain& main, const QString& name)
{
    if (auto* b = main.findChild<QAbstractButton*>(name))
        QTest::mouseClick(b, Qt::LeftButton);
    else
        main.action(name)->trigger();
}

} // namespace peltro::test
