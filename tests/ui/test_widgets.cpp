#include "hold_button.h"
#include "option_button.h"
#include "speed_box.h"
#include "value_slider.h"

#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QtTest>

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
};

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
