#pragma once

// The assembled panel with start-up's state, for the tests of the modal
// windows that open from the main window's menus.
#include "app_rig.h"
#include "packet.h"
#include "traffic_text.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace peltro::test {

struct WindowRig : AppRig {
    explicit WindowRig(const QStringList& names = {QStringLiteral("quorin-p3")}) : AppRig(names)
    {
        identify();
        main->timer2->start();   // the docking check runs after start-up
    }

    template <typename T> T* window(const char* name) const
    {
        return main->findChild<T*>(QString::fromLatin1(name));
    }
    // A menu item, and whatever exchange it started run to its end.
    void trigger(const char* item)
    {
        main->action(QString::fromLatin1(item))->trigger();
        idle();
    }
    // Runs the rig's time on until no exchange holds the line.
    void idle() { runUntil([this] { return !session.busy(); }); }
    static void click(QWidget* w, const char* name)
    {
        QTest::mouseClick(requireChild<QAbstractButton>(w, QString::fromLatin1(name)), Qt::LeftButton);
    }
    void autoOn() { refresh().toggleAuto(); }
    void showMain()
    {
        main->move(40, 30);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
    }

    // The packets written since the last look, as hex text, the exchange
    // under way run to its end first. Whatever a
    // window writes is one whole packet: anything else fails the test here.
    QStringList sent()
    {
        idle();
        QStringList out;
        for (const QByteArray& w : takeWrites()) {
            QTest::qVerify(Packet::fromBytes(w).isValid(), "Packet::fromBytes(w).isValid()",
                           qPrintable(QStringLiteral("not one whole packet on the line: %1").arg(hex(w))), __FILE__,
                           __LINE__);
            out << hex(w);
        }
        return out;
    }
    // "Auto 1 1 1 0": caption, Timer1 running, AutoRefreshed enabled,
    // Timer2 running, RefreshOnce enabled. The buttons are a view of auto
    // refresh: where they say otherwise than it does, the test fails here.
    QString timers()
    {
        const RefreshMachine& m = refresh();
        const bool agree = main->autoRefreshed->text() == m.caption()
                           && main->autoRefreshed->isEnabled() == m.toggleEnabled()
                           && main->refreshOnce->isEnabled() == m.refreshOnceEnabled();
        QTest::qVerify(agree, "agree", "the refresh buttons do not show auto refresh's state", __FILE__, __LINE__);
        return QStringLiteral("%1 %2 %3 %4 %5")
            .arg(main->autoRefreshed->text())
            .arg(int(main->timer1->isActive()))
            .arg(int(main->autoRefreshed->isEnabled()))
            .arg(int(main->timer2->isActive()))
            .arg(int(main->refreshOnce->isEnabled()));
    }
    QStringList boxTexts() const
    {
        QStringList out;
        for (const auto& b : messages.boxes)
            out << b.text;
        return out;
    }
    // Closed windows are deleted at the next turn of the event loop.
    static void unload() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

} // namespace peltro::test
