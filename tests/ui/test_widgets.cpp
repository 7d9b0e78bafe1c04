#include "caption_fit.h"
#include "hold_button.h"
#include "message_service.h"
#include "option_button.h"
#include "speed_box.h"
#include "traffic_text.h"
#include "value_slider.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QtTest>

#ifdef PELTRO_XTEST
#include <xcb/xcb.h>
#include <xcb/xtest.h>
#endif

using namespace peltro;

namespace {

// Knows where the thumb is, so that a test can grab and drag it.
class ProbeSlider : public ValueSlider {
public:
    ProbeSlider(int minimum, int maximum, int value)
    {
        resize(320, 30);
        setRange(minimum, maximum);
        setValue(value);
        show();
    }
    QRect part(QStyle::SubControl control) const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_Slider, &option, control, this);
    }
    QPoint grip() const { return part(QStyle::SC_SliderHandle).center(); }
    // How far the pointer goes to drag the thumb by the given number of units.
    QPoint units(double count) const
    {
        const int span = part(QStyle::SC_SliderGroove).width() - part(QStyle::SC_SliderHandle).width();
        return QPoint(qRound(count * span / (maximum() - minimum())), 0);
    }
};

// The mouse as the window system delivers it, so that what Qt drops for a
// blocked window or hands to a popup is dropped or handed on here too. On X
// the events go through the server (XTest), whose own pointer grab decides
// which window gets them; elsewhere through Qt's window system interface.
class Mouse {
public:
    void press(QWidget* w, QPoint at, Qt::MouseButton button)
    {
        m_button = button;
        m_down = true;
        move(w, at);
#ifdef PELTRO_XTEST
        if (onX())
            return fake(XCB_BUTTON_PRESS, xButton());
#endif
        QTest::mousePress(m_window, button, {}, m_at);
    }
    void move(QWidget* w, QPoint at)
    {
        m_window = w->window()->windowHandle();
        m_at = w->mapTo(w->window(), at);
#ifdef PELTRO_XTEST
        if (onX()) {
            const QPoint p = w->mapToGlobal(at);
            return fake(XCB_MOTION_NOTIFY, 0, p);
        }
#endif
        QTest::mouseMove(m_window, m_at);
    }
    void release()
    {
        m_down = false;
#ifdef PELTRO_XTEST
        if (onX())
            return fake(XCB_BUTTON_RELEASE, xButton());
#endif
        QTest::mouseRelease(m_window, m_button, {}, m_at);
    }

    void letGo()
    {
        if (m_down)
            release();
    }

private:
#ifdef PELTRO_XTEST
    static bool onX() { return QGuiApplication::platformName() == QLatin1String("xcb"); }
    quint8 xButton() const { return m_button == Qt::LeftButton ? 1 : m_button == Qt::MiddleButton ? 2 : 3; }
    static void fake(quint8 type, quint8 detail, QPoint at = {})
    {
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t* c = x11->connection();
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_test_fake_input(c, type, detail, XCB_CURRENT_TIME, root, qint16(at.x()), qint16(at.y()), 0);
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // the server has it
    }
#endif
    QWindow* m_window = nullptr;
    QPoint m_at;
    Qt::MouseButton m_button = Qt::LeftButton;
    bool m_down = false;
};

enum class Loss { WarningBox, ButtonHidden, WindowHidden, ButtonDisabled, FrameDisabled, Deactivated, Popup, Grab };

QList<int> values(const QSignalSpy& spy)
{
    QList<int> list;
    for (const QList<QVariant>& arguments : spy)
        list << arguments.at(0).toInt();
    return list;
}

} // namespace

class TestWidgets : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A history box shows the log's last thousand characters, each packet on
    // a line of its own.
    void trafficBoxShowsTheLog()
    {
        TrafficLog log;
        TrafficText box(log, TrafficLog::Sent);
        log.append(TrafficLog::Sent, QString(995, 'x'));
        log.append(TrafficLog::Sent, QStringLiteral("81 01 04 07 02 FF ") + TrafficLog::kLineEnd);
        log.cut(TrafficLog::Sent);
        log.publish(TrafficLog::Sent);
        QCOMPARE(box.text().size(), 1000);
        QVERIFY(box.toPlainText().endsWith(QStringLiteral("81 01 04 07 02 FF \n")));
    }

    void sliderDragReportsEachPosition()
    {
        ProbeSlider slider(0, 15, 3);
        QSignalSpy moved(&slider, &ValueSlider::userMoved);
        QSignalSpy pressed(&slider, &ValueSlider::mousePressed);
        QSignalSpy released(&slider, &ValueSlider::mouseReleased);

        const QPoint start = slider.grip();
        QTest::mousePress(&slider, Qt::LeftButton, {}, start);
        QCOMPARE(pressed.count(), 1);
        QTest::mouseMove(&slider, start + slider.units(1));
        QTest::mouseMove(&slider, start + slider.units(1.2)); // same position: nothing new
        QTest::mouseMove(&slider, start + slider.units(-2));
        QTest::mouseMove(&slider, start + slider.units(40)); // past the end
        QTest::mouseMove(&slider, start + slider.units(10));
        QCOMPARE(released.count(), 0);
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, slider.grip());
        QCOMPARE(values(moved), QList<int>({4, 1, 15, 13}));
        QCOMPARE(released.count(), 1);

        // Pressing and releasing any button without moving reports no movement.
        QTest::mouseClick(&slider, Qt::LeftButton, {}, slider.grip());
        QTest::mouseClick(&slider, Qt::RightButton, {}, start);
        QTest::mouseClick(&slider, Qt::MiddleButton, {}, slider.grip());
        QCOMPARE(pressed.count(), 4);
        QCOMPARE(released.count(), 4);
        QCOMPARE(moved.count(), 4);
    }

    void sliderGrooveAndKeys()
    {
        ProbeSlider slider(0, 255, 3);
        slider.setPageStep(16);
        QSignalSpy moved(&slider, &ValueSlider::userMoved);

        // A click on the groove far from the thumb moves it (a page or to the
        // spot, as the style has it).
        const QRect groove = slider.part(QStyle::SC_SliderGroove);
        QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(groove.right() - 2, groove.center().y()));
        QVERIFY(slider.value() > 3);
        QCOMPARE(values(moved), QList<int>({slider.value()}));

        moved.clear();
        slider.setValue(10);
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_PageUp, Qt::Key_End, Qt::Key_End, Qt::Key_Home, Qt::Key_Left})
            QTest::keyClick(&slider, key);
        QCOMPARE(values(moved), QList<int>({11, 27, 255, 0}));
        // Keys that moved nothing leave nothing behind that would make the
        // program's next change look like the operator's.
        slider.setValue(7);
        QCOMPARE(moved.count(), 4);
    }

    void sliderProgramChangesAreSilent()
    {
        ProbeSlider slider(0, 0xC000, 0x9000);
        QSignalSpy moved(&slider, &ValueSlider::userMoved);
        QSignalSpy changed(&slider, &QAbstractSlider::valueChanged);
        slider.setMaximum(0x8400); // clamps the value
        slider.setRange(0x1000, 0x2000);
        slider.setValue(0x1800);
        QCOMPARE(values(changed), QList<int>({0x8400, 0x2000, 0x1800}));
        QCOMPARE(moved.count(), 0);

        // A limit kept through valueChanged (as a near limit is) is obeyed
        // before anyone hears of the movement.
        slider.setRange(0, 15);
        slider.setValue(0);
        connect(&slider, &QAbstractSlider::valueChanged, &slider, [&slider](int value) {
            if (value > 9)
                slider.setValue(9);
        });
        QTest::keyClick(&slider, Qt::Key_End);
        QTest::keyClick(&slider, Qt::Key_End);
        const QPoint start = slider.grip();
        QTest::mousePress(&slider, Qt::LeftButton, {}, start);
        QTest::mouseMove(&slider, start + slider.units(3));
        QTest::mouseMove(&slider, start - slider.units(1));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, slider.grip());
        QCOMPARE(values(moved), QList<int>({9, 8}));
    }

    void holdButton()
    {
        QWidget window;
        auto* hold = new HoldButton(QStringLiteral("ZoomTele"), Glyph::Right, QStringLiteral("Tele"), &window);
        hold->setGeometry(50, 30, 40, 30);
        window.show();
        QCOMPARE(window.findChild<HoldButton*>(QStringLiteral("ZoomTele")), hold);
        QVERIFY(hold->text().isEmpty() && !hold->icon().isNull());
        QSignalSpy held(hold, &HoldButton::held);
        QSignalSpy let(hold, &HoldButton::releasedHold);
        QSignalSpy clicked(hold, &QAbstractButton::clicked);

        // Any mouse button holds; the pointer may wander off while it is held.
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            QTest::mousePress(hold, button, {}, QPoint(20, 15));
            QVERIFY(hold->isDown());
            QTest::mouseMove(hold, QPoint(120, 80));
            QCOMPARE(let.count(), held.count() - 1);
            QTest::mouseRelease(hold, button, {}, QPoint(120, 80));
            QVERIFY(!hold->isDown());
            QCOMPARE(let.count(), held.count());
        }
        QCOMPARE(held.count(), 3);

        // A second button pressed during a hold neither restarts nor ends it.
        QTest::mousePress(hold, Qt::RightButton, {}, QPoint(10, 10));
        QTest::mousePress(hold, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(hold, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(let.count(), 3);
        QTest::mouseRelease(hold, Qt::RightButton, {}, QPoint(10, 10));
        QCOMPARE(held.count(), 4);
        QCOMPARE(let.count(), 4);

        // The space bar clicks a push button, but not a hold button; and
        // without focus the key would not even reach it.
        QCOMPARE(hold->focusPolicy(), Qt::NoFocus);
        clicked.clear();
        QTest::keyClick(hold, Qt::Key_Space);
        QCOMPARE(clicked.count(), 1); // the key did reach the button
        QCOMPARE(held.count(), 4);
        QCOMPARE(let.count(), 4);
    }

    // However the button loses the mouse during a hold, the hold ends there,
    // once: the release that follows (wherever it goes) adds no second stop,
    // and the button holds again as usual afterwards.
    void holdButtonLosesMouse_data()
    {
        QTest::addColumn<Loss>("loss");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("warning box opens") << Loss::WarningBox << Qt::LeftButton;
        QTest::newRow("button hidden") << Loss::ButtonHidden << Qt::LeftButton;
        QTest::newRow("window hidden") << Loss::WindowHidden << Qt::LeftButton;
        QTest::newRow("button disabled") << Loss::ButtonDisabled << Qt::LeftButton;
        QTest::newRow("frame disabled, right button") << Loss::FrameDisabled << Qt::RightButton;
        QTest::newRow("window deactivated") << Loss::Deactivated << Qt::LeftButton;
        QTest::newRow("popup menu opens") << Loss::Popup << Qt::LeftButton;
        QTest::newRow("another widget grabs the mouse") << Loss::Grab << Qt::LeftButton;
    }

    void holdButtonLosesMouse()
    {
        QFETCH(Loss, loss);
        QFETCH(Qt::MouseButton, button);
        QWidget window;
        window.setGeometry(100, 100, 300, 200);
        auto* frame = new QGroupBox(QStringLiteral("Lens Control"), &window);
        frame->setGeometry(10, 10, 200, 120);
        auto* hold = new HoldButton(QStringLiteral("ZoomTele"), Glyph::Right, QStringLiteral("Tele"), frame);
        hold->setGeometry(50, 40, 40, 30);
        auto* grabber = new QWidget(&window);
        grabber->setGeometry(220, 10, 60, 60);
        QWidget other;  // another top-level window to activate
        other.setGeometry(500, 100, 200, 100);
        QMenu popup;
        popup.addAction(QStringLiteral("Camera1"));
        other.show();
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy held(hold, &HoldButton::held);
        QSignalSpy let(hold, &HoldButton::releasedHold);
        Mouse mouse;
        // A failed row leaves neither a box, a popup nor a button down behind.
        auto tidy = qScopeGuard([&mouse] {
            mouse.letGo();
            while (QWidget* w = QApplication::activeModalWidget())
                w->close();
            if (QWidget* w = QApplication::activePopupWidget())
                w->close();
        });

        mouse.press(hold, QPoint(20, 15), button);
        QTRY_COMPARE(held.count(), 1);
        QVERIFY(hold->isHolding() && hold->isDown());
        WidgetMessageService messages;
        switch (loss) {
        case Loss::WarningBox:
            messages.notify(QStringLiteral("Warning"), QStringLiteral("Network Change was received."),
                            QMessageBox::Warning);
            // It blocks the whole panel until answered.
            QCOMPARE(QApplication::activeModalWidget()->windowModality(), Qt::ApplicationModal);
            break;
        case Loss::ButtonHidden: hold->hide(); break;
        case Loss::WindowHidden: window.hide(); break;
        case Loss::ButtonDisabled: hold->setEnabled(false); break;
        case Loss::FrameDisabled: frame->setEnabled(false); break;
        case Loss::Deactivated: other.activateWindow(); break;
        case Loss::Popup: popup.popup(QPoint(800, 500)); break;
        case Loss::Grab:
            grabber->grabMouse();
            mouse.move(hold, QPoint(25, 15));  // the first event the button does not get
            break;
        }
        QTRY_COMPARE(let.count(), 1);
        QVERIFY(!hold->isHolding() && !hold->isDown());
        mouse.release();

        // Undo the loss and hold once more; the events come in order, so a
        // stop the lost release still caused would show by the next press.
        switch (loss) {
        case Loss::WarningBox: QApplication::activeModalWidget()->close(); break;
        case Loss::ButtonHidden: hold->show(); break;
        case Loss::WindowHidden: window.show(); break;
        case Loss::ButtonDisabled: hold->setEnabled(true); break;
        case Loss::FrameDisabled: frame->setEnabled(true); break;
        case Loss::Deactivated: break;
        case Loss::Popup: popup.close(); break;
        case Loss::Grab: grabber->releaseMouse(); break;
        }
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_VERIFY(!QApplication::activeModalWidget() && !QApplication::activePopupWidget());
        mouse.press(hold, QPoint(20, 15), Qt::LeftButton);
        QTRY_COMPARE(held.count(), 2);
        QCOMPARE(let.count(), 1);
        mouse.release();
        QTRY_COMPARE(let.count(), 2);
        QCOMPARE(held.count(), 2);
    }

    void speedValueParsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("expected");
        QTest::newRow("above range") << " 12" << 0 << 7 << 7;
        QTest::newRow("leading blanks") << "  \t12" << 1 << 24 << 12;
        QTest::newRow("trailing junk") << "3x9" << 0 << 7 << 3;
        QTest::newRow("letters") << "x" << 0 << 7 << 0;
        QTest::newRow("empty, minimum 1") << "" << 1 << 24 << 1;
        QTest::newRow("minus is no number") << "-3" << 0 << 7 << 0;
        QTest::newRow("huge") << "99999999999999999999999" << 0 << 7 << 7;
    }

    void speedValueParsing()
    {
        QFETCH(QString, text);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, expected);
        QCOMPARE(speedValue(text, minimum, maximum), expected);
    }

    // A step starts from the box's text, junk included, and stops at the bounds.
    void spinnerSteps()
    {
        QWidget window;
        auto* box = new SpeedText(QStringLiteral("4"), &window);
        auto* spinner = new UpDown(&window);
        spinner->setRange(0, 7);
        spinner->setBuddy(box);
        window.show();
        auto step = [&](const char* arrow, const char* from) {
            box->setText(QString::fromLatin1(from));
            QTest::mouseClick(spinner->findChild<QToolButton*>(QString::fromLatin1(arrow)), Qt::LeftButton);
            return box->text();
        };
        QCOMPARE(step("up", "7"), QStringLiteral("7"));
        QCOMPARE(step("down", "0"), QStringLiteral("0"));
        QCOMPARE(step("up", "x12345"), QStringLiteral("1"));
    }

    void optionGroup()
    {
        QWidget window; // siblings, which Qt would otherwise tie together
        OptionGroup group;
        for (int i = 0; i < 3; ++i) {
            auto* button = new OptionButton(QStringLiteral("Option %1").arg(i), &window);
            button->setGeometry(0, 30 * i, 100, 25);
            group.addButton(button, i);
        }
        window.show();
        QSignalSpy selected(&group, &OptionGroup::selected);
        auto click = [&](int index) { QTest::mouseClick(group.button(index), Qt::LeftButton, {}, QPoint(8, 12)); };
        auto checked = [&group] {
            return QString::number(group.button(0)->isChecked()) + QString::number(group.button(1)->isChecked())
                + QString::number(group.button(2)->isChecked());
        };

        click(1);
        click(2);
        QCOMPARE(checked(), QStringLiteral("001"));
        click(2); // already selected: stays so, no news
        QCOMPARE(checked(), QStringLiteral("001"));
        QTest::keyClick(group.button(0), Qt::Key_Space);
        QCOMPARE(checked(), QStringLiteral("100"));
        QCOMPARE(values(selected), QList<int>({1, 2, 0}));

        // The program selects and unselects freely, and silently.
        group.setSelected(2, true);
        QCOMPARE(checked(), QStringLiteral("001"));
        group.setSelected(1, false);
        QCOMPARE(group.selectedIndex(), 2);
        group.setSelected(2, false);
        QCOMPARE(group.selectedIndex(), -1);
        group.setSelected(0, true);
        group.clear();
        QCOMPARE(checked(), QStringLiteral("000"));
        QCOMPARE(selected.count(), 3);

        // A handler may take the operator's selection back at once.
        connect(&group, &OptionGroup::selected, &group, [&group](int index) { group.setSelected(index, false); });
        click(1);
        QCOMPARE(selected.count(), 4);
        QCOMPARE(group.selectedIndex(), -1);
    }

    // A caption wider than its fixed-size button gets a smaller font until it
    // fits; one that fits keeps its font; none shrinks below three quarters.
    void captionsFitTheirButtons_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("textShare");   // caption width to the room, in percent, before fitting
        QTest::addColumn<bool>("fits");       // after fitting
        QTest::addColumn<bool>("shrunk");
        QTest::newRow("button, fits") << "button" << 90 << true << false;
        QTest::newRow("button, a little wide") << "button" << 105 << true << true;
        QTest::newRow("button, far too wide") << "button" << 180 << false << true;
        QTest::newRow("check box, a little wide") << "check" << 110 << true << true;
    }
    void captionsFitTheirButtons()
    {
        QFETCH(QString, kind);
        QFETCH(int, textShare);
        QFETCH(bool, fits);
        QFETCH(bool, shrunk);
        QWidget window;
        QAbstractButton* b = kind == QLatin1String("check") ? static_cast<QAbstractButton*>(new QCheckBox(&window))
                                                            : new QPushButton(&window);
        QFont font = b->font();
        font.setPointSizeF(10);
        b->setFont(font);
        b->setText(QStringLiteral("Right-Direct"));
        // A width that leaves the caption textShare percent of its room.
        b->resize(200, 24);
        const int extra = 200 - captionRoom(b);
        b->resize(captionWidth(b) * 100 / textShare + extra, 24);
        QVERIFY(qAbs(captionWidth(b) * 100 / captionRoom(b) - textShare) <= 2);
        fitCaption(b);
        QCOMPARE(captionWidth(b) <= captionRoom(b), fits);
        QCOMPARE(b->font().pointSizeF() < 10, shrunk);
        QVERIFY(b->font().pointSizeF() >= 7.5);
        if (fits && shrunk) {   // no more than it takes
            QFont larger = b->font();
            larger.setPointSizeF(larger.pointSizeF() + 0.5);
            QVERIFY(QFontMetricsF(larger).horizontalAdvance(b->text()) > captionRoom(b));
        }
    }
};

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
