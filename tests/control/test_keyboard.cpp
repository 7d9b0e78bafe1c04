#include "keyboard_control.h"
#include "recording_operations.h"
#include "tick_action.h"

#include <QAction>
#include <QDialog>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

QStringList keyboard(std::initializer_list<const char*> calls)
{
    QStringList out;
    for (const char* c : calls)
        out << QStringLiteral("Keyboard ") + QLatin1String(c);
    return out;
}

// A window with a slider that has the focus (the arrows move it when the
// keys are not the camera's) and a shortcut on Ctrl+3, the keyboard control
// on its keys, and its tick in the settings.
struct KeyRig {
    KeyRig()
        : settings(dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat),
          toggle(QStringLiteral("Keyboard Camera Control"), &window)
    {
        auto* layout = new QVBoxLayout(&window);
        slider = new QSlider(Qt::Horizontal, &window);
        slider->setRange(0, 100);
        slider->setValue(50);
        layout->addWidget(slider);
        shortcut = new QAction(&window);
        shortcut->setShortcut(QKeySequence(QStringLiteral("Ctrl+3")));
        window.addAction(shortcut);
        toggle.setObjectName(QStringLiteral("KeyboardControl"));
        bindKeyboardToggle(toggle, control, settings);
        window.show();
        window.activateWindow();
        slider->setFocus();
        // Window shortcuts work only in the active window; stopCases checks it.
        (void)QTest::qWaitForWindowActive(&window);
    }
    void turnOn()
    {
        if (!toggle.isChecked())
            toggle.trigger();
    }
    void press(int key, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyPress(slider, Qt::Key(key), m); }
    void release(int key, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyRelease(slider, Qt::Key(key), m); }
    // What a held key sends while it repeats: a release and a press, each
    // marked as repeated.
    void repeat(int key, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QKeyEvent up(QEvent::KeyRelease, key, m, QString(), true);
        QApplication::sendEvent(slider, &up);
        QKeyEvent down(QEvent::KeyPress, key, m, QString(), true);
        QApplication::sendEvent(slider, &down);
    }

    QTemporaryDir dir;
    QSettings settings;
    RecordingOperations ops;
    KeyboardControl control{ops};
    QWidget window;
    KeyboardFilter filter{window, control};
    TickAction toggle;
    QSlider* slider = nullptr;
    QAction* shortcut = nullptr;
};

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A held motion key, however long it repeats, gives one move and, at
    // its release, one stop; the slider that has the focus never sees it.
    void heldKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("move");
        QTest::newRow("left") << int(Qt::Key_Left) << Qt::KeyboardModifiers() << "panTilt 1 -8 0";
        QTest::newRow("right") << int(Qt::Key_Right) << Qt::KeyboardModifiers() << "panTilt 1 8 0";
        QTest::newRow("up") << int(Qt::Key_Up) << Qt::KeyboardModifiers() << "panTilt 1 0 7";
        QTest::newRow("down") << int(Qt::Key_Down) << Qt::KeyboardModifiers() << "panTilt 1 0 -7";
        QTest::newRow("shift left") << int(Qt::Key_Left) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                    << "panTilt 1 -24 0";
        QTest::newRow("keypad up") << int(Qt::Key_Up) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                   << "panTilt 1 0 7";
        QTest::newRow("page up") << int(Qt::Key_PageUp) << Qt::KeyboardModifiers() << "zoom 1 2";
        QTest::newRow("page down") << int(Qt::Key_PageDown) << Qt::KeyboardModifiers() << "zoom 1 -2";
    }
    void heldKey()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, move);
        KeyRig rig;
        rig.turnOn();
        rig.press(key, modifiers);
        for (int i = 0; i < 5; ++i)
            rig.repeat(key, modifiers);
        QCOMPARE(rig.ops.calls, QStringList{QStringLiteral("Keyboard ") + move});
        QVERIFY(rig.control.moving());
        rig.release(key, modifiers);
        QCOMPARE(rig.ops.take(), (QStringList{QStringLiteral("Keyboard ") + move, QStringLiteral("Keyboard stop 1")}));
        QCOMPARE(rig.slider->value(), 50);
        QCOMPARE(rig.ops.notes.size(), 1);
        QVERIFY(rig.ops.notes.first().startsWith(QStringLiteral("Keyboard|Keyboard|")));
    }

    // Several keys at once: the release of one changes the motion, only
    // the release of the last one stops; Shift changes the speed on the way.
    void severalKeys()
    {
        KeyRig rig;
        rig.turnOn();
        rig.press(Qt::Key_Left);
        rig.press(Qt::Key_Up);
        rig.press(Qt::Key_PageUp);
        QCOMPARE(rig.ops.take(), keyboard({"panTilt 1 -8 0", "panTilt 1 -8 7", "zoom 1 2"}));
        rig.release(Qt::Key_Left);
        QCOMPARE(rig.ops.take(), keyboard({"panTilt 1 0 7"}));
        rig.press(Qt::Key_Shift, Qt::ShiftModifier);
        QCOMPARE(rig.ops.take(), keyboard({"panTilt 1 0 20", "zoom 1 7"}));
        rig.release(Qt::Key_Shift);
        QCOMPARE(rig.ops.take(), keyboard({"panTilt 1 0 7", "zoom 1 2"}));
        rig.release(Qt::Key_PageUp);
        QCOMPARE(rig.ops.take(), keyboard({"zoom 1 0"}));
        rig.release(Qt::Key_Up);
        QCOMPARE(rig.ops.take(), keyboard({"stop 1"}));
        rig.release(Qt::Key_Up);   // a stray release changes nothing
        QCOMPARE(rig.ops.take(), QStringList{});
    }

    // Home, the presets, and the stop keys, each noted as the keyboard's
    // own event; a preset the camera lacks is refused in words.
    void commandKeys()
    {
        KeyRig rig;
        rig.turnOn();
        QSignalSpy shortcutFired(rig.shortcut, &QAction::triggered);
        QSignalSpy refused(&rig.control, &KeyboardControl::refused);
        rig.press(Qt::Key_Home);
        rig.repeat(Qt::Key_Home);   // held: once
        rig.repeat(Qt::Key_Home);
        rig.press(Qt::Key_3, Qt::ControlModifier);
        rig.repeat(Qt::Key_3, Qt::ControlModifier);
        rig.press(Qt::Key_6, Qt::ControlModifier);
        rig.press(Qt::Key_Right);
        rig.press(Qt::Key_Space);
        rig.release(Qt::Key_Right);
        rig.press(Qt::Key_Escape);
        QCOMPARE(rig.ops.take(), keyboard({"home 1", "preset 1 recall 3", "preset 1 recall 6", "panTilt 1 8 0",
                                           "stop 1", "stop 1"}));
        QCOMPARE(shortcutFired.size(), 0);
        QCOMPARE(rig.ops.notes, (QStringList{QStringLiteral("Keyboard|Keyboard|Home pressed"),
                                             QStringLiteral("Keyboard|Keyboard|Ctrl+3 pressed"),
                                             QStringLiteral("Keyboard|Keyboard|Ctrl+6 pressed"),
                                             QStringLiteral("Keyboard|Keyboard|Right pressed"),
                                             QStringLiteral("Keyboard|Keyboard|Space pressed: stop"),
                                             QStringLiteral("Keyboard|Keyboard|Esc pressed: stop")}));
        rig.ops.cameras[1].firstPreset = 0;   // shown 0..5
        rig.press(Qt::Key_6, Qt::ControlModifier);
        QCOMPARE(rig.ops.take(), QStringList{});
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused.first().first().toString(),
                 QStringLiteral("Keyboard: Preset 6 not sent: the camera does not have it."));
        // A camera without a head: the arrows are refused, the zoom keys work.
        rig.ops.cameras[1].panTilt = false;
        rig.press(Qt::Key_Up);
        rig.press(Qt::Key_PageDown);
        QCOMPARE(refused.size(), 2);
        QCOMPARE(refused.last().first().toString(),
                 QStringLiteral("Keyboard: Pan-tilt not sent: the camera has no pan/tilt head."));
        QCOMPARE(rig.ops.take(), keyboard({"zoom 1 -2"}));
    }

    // Whatever ends the keyboard's hold on the window stops the camera.
    void stopCases_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("another window takes the focus") << "focus" << keyboard({"stop 1"});
        QTest::newRow("a modal window opens") << "modal" << keyboard({"stop 1"});
        QTest::newRow("turned off") << "off" << keyboard({"stop 1"});
        QTest::newRow("link lost, then back") << "link" << keyboard({"stop 1 (link lost)", "stop 1"});
        QTest::newRow("another camera addressed")
            << "select" << QStringList{QStringLiteral("Panel select 2"), QStringLiteral("Keyboard stop 1")};
    }
    void stopCases()
    {
        QFETCH(QString, event);
        QFETCH(QStringList, expected);
        KeyRig rig;
        rig.turnOn();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        rig.press(Qt::Key_Up);
        QCOMPARE(rig.ops.take(), keyboard({"panTilt 1 0 7"}));
        QWidget other;
        QDialog dialog(&rig.window);
        if (event == QLatin1String("focus")) {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        } else if (event == QLatin1String("modal")) {
            dialog.open();
        } else if (event == QLatin1String("off")) {
            rig.toggle.trigger();
            QVERIFY(!rig.toggle.isChecked());
        } else if (event == QLatin1String("link")) {
            rig.ops.setLink(false);
            rig.ops.setLink(true);
        } else {
            rig.ops.select(2, Surface::Panel);
        }
        QCOMPARE(rig.ops.take(), expected);
        QVERIFY(!rig.control.moving());
        rig.release(Qt::Key_Up);
        QCOMPARE(rig.ops.take(), QStringList{});
    }

    // Off, the keys keep their usual meaning and nothing is sent; the tick
    // is kept in the settings.
    void toggle()
    {
        KeyRig rig;
        QVERIFY(!rig.toggle.isChecked());
        QVERIFY(rig.toggle.isCheckable());
        QSignalSpy shortcutFired(rig.shortcut, &QAction::triggered);
        rig.press(Qt::Key_Left);
        rig.release(Qt::Key_Left);
        rig.press(Qt::Key_3, Qt::ControlModifier);
        rig.press(Qt::Key_Home);
        rig.press(Qt::Key_Escape);
        QCOMPARE(rig.ops.take(), QStringList{});
        QCOMPARE(rig.slider->value(), 0);   // Left stepped it, Home took it to its minimum
        QCOMPARE(shortcutFired.size(), 1);

        rig.toggle.trigger();
        QVERIFY(rig.toggle.isChecked());
        QCOMPARE(rig.settings.value(QStringLiteral("Settings/KeyboardControl")).toString(), QStringLiteral("True"));
        rig.slider->setValue(50);
        rig.press(Qt::Key_Left);
        rig.release(Qt::Key_Left);
        QCOMPARE(rig.ops.take(), keyboard({"panTilt 1 -8 0", "stop 1"}));
        QCOMPARE(rig.slider->value(), 50);

        // A new start reads the tick back.
        RecordingOperations ops;
        KeyboardControl control(ops);
        TickAction again(QStringLiteral("Keyboard Camera Control"), nullptr);
        bindKeyboardToggle(again, control, rig.settings);
        QVERIFY(again.isChecked());
        QVERIFY(control.enabled());
        again.trigger();
        QCOMPARE(rig.settings.value(QStringLiteral("Settings/KeyboardControl")).toString(), QStringLiteral("False"));
        QVERIFY(!control.enabled());
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
