#pragma once

// Small helpers for driving the main window's camera controls by name.
#include "rigs.h"

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

// "81 01 ... FF|81 01 ... FF" -> one entry per packet; "" -> none.
inline QStringList packets(const QString& joined)
{
    return joined.isEmpty() ? QStringList{} : joined.split(QLatin1Char('|'));
}

inline QString packetText(const QList<int>& packet)
{
    return hex(Link::VarArrayToBytes(packet));
}

// Enabled states of the named controls as a string of 0 and 1.
inline QString enabledStates(FrmMain& main, const QStringList& names)
{
    QString out;
    for (const QString& n : names) {
        QWidget* w = main.control<QWidget>(n);
        if (!w)
            qFatal("no control %s", qPrintable(n));
        out += w->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    }
    return out;
}

inline QStringList ticked(FrmMain& main, const QStringList& items)
{
    QStringList out;
    for (const QString& i : items) {
        if (main.action(i)->isChecked())
            out << i;
    }
    return out;
}

// Clicks a button or check box with the mouse, or picks a menu item.
inline void operate(FrmMain& main, const QString& name)
{
    if (auto* b = main.control<QAbstractButton>(name))
        QTest::mouseClick(b, Qt::LeftButton);
    else if (QAction* a = main.action(name))
        a->trigger();
    else
        qFatal("no control %s", qPrintable(name));
}

} // namespace peltro::test
