// Where the windows of the panel land on a real X server of a given size
// (run under xvfb-run on each screen of the test's list, one at a scale
// factor of 1.5): the main window whole and inside the screen, every caption
// within its control, the docked pan-tilt window and the decoded traffic
// inside the screen and off the main window where the screen has room.
#include "app_rig.h"
#include "frm_pan_tilt.h"
#include "frm_traffic.h"
#include "pan_tilt_controller.h"
#include "panel_settings.h"
#include "startup.h"
#include "twips.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace peltro;
using namespace peltro::test;

namespace {

QString show(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString nameOf(const QWidget* w)
{
    QString name = w->objectName();
    if (name.isEmpty())
        name = QString::fromLatin1(w->metaObject()->className());
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        name += QStringLiteral(" \"%1\"").arg(b->text());
    else if (const auto* l = qobject_cast<const QLabel*>(w))
        name += QStringLiteral(" \"%1\"").arg(l->text());
    return name;
}

// Widgets under root that show: not hidden themselves or by an ancestor.
QList<QWidget*> shownUnder(QWidget* root)
{
    QList<QWidget*> out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isWindow() && w->isVisibleTo(root))
            out << w;
    }
    return out;
}

// Each shown control lies within its parent (so within the window), and
// within the part of root that shows (in root's coordinates). A control
// wholly outside its frame is one the frame's height leaves out on purpose
// (a smaller model's frame); one that is partly outside is cut.
QStringList cutOff(QWidget* root, const QRect& showing)
{
    QStringList faults;
    for (QWidget* w : shownUnder(root)) {
        if (qobject_cast<QScrollBar*>(w) || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QRect parent(QPoint(0, 0), w->parentWidget()->size());
        if (!parent.intersects(w->geometry()))
            continue;
        if (!parent.contains(w->geometry()))
            faults << QStringLiteral("%1 at %2 beyond %3 of %4")
                          .arg(nameOf(w), show(w->geometry()))
                          .arg(show(w->parentWidget()->rect()), nameOf(w->parentWidget()));
        const QRect inRoot(w->mapTo(root, QPoint(0, 0)), w->size());
        if (!showing.contains(inRoot))
            faults << QStringLiteral("%1 at %2 beyond the shown %3").arg(nameOf(w), show(inRoot), show(showing));
    }
    return faults;
}

int textWidth(const QWidget* w, QString text)
{
    text.remove(QLatin1Char('&'));
    return int(std::ceil(QFontMetricsF(w->font()).horizontalAdvance(text)));
}

// Every caption fits the room its control gives it.
QStringList captionsCut(QWidget* root)
{
    QStringList faults;
    for (QWidget* w : shownUnder(root)) {
        int room = -1;
        int need = 0;
        if (auto* b = qobject_cast<QPushButton*>(w); b && !b->text().isEmpty()) {
            QStyleOptionButton opt;
            opt.initFrom(b);
            opt.text = b->text();
            if (b->isDefault())
                opt.features |= QStyleOptionButton::DefaultButton;
            if (b->autoDefault())
                opt.features |= QStyleOptionButton::AutoDefaultButton;
            // half the style's margin kept clear of the button's edges
            room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b).width()
                - b->style()->pixelMetric(QStyle::PM_ButtonMargin, &opt, b) / 2;
            need = textWidth(b, b->text());
        } else if (auto* c = qobject_cast<QCheckBox*>(w); c && !c->text().isEmpty()) {
            QStyleOptionButton opt;
            opt.initFrom(c);
            opt.text = c->text();
            room = c->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, c).width();
            need = textWidth(c, c->text());
        } else if (auto* r = qobject_cast<QRadioButton*>(w); r && !r->text().isEmpty()) {
            QStyleOptionButton opt;
            opt.initFrom(r);
            opt.text = r->text();
            room = r->style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, r).width();
            need = textWidth(r, r->text());
        } else if (auto* l = qobject_cast<QLabel*>(w);
                   l && !l->wordWrap() && !l->text().isEmpty() && !l->text().contains(QLatin1Char('\n'))) {
            room = l->contentsRect().width() - 2 * l->margin();
            need = textWidth(l, l->text());
        } else if (auto* g = qobject_cast<QGroupBox*>(w); g && !g->title().isEmpty()) {
            room = g->width();
            need = textWidth(g, g->title());
        }
        if (room >= 0 && need > room)
            faults << QStringLiteral("%1: %2 px of text in %3 px").arg(nameOf(w)).arg(need).arg(room);
    }
    return faults;
}

// The panel of one QUORIN-P3 started as peltro-panel starts it, its settings
// in a file of its own.
struct ScreenRig : AppRig {
    explicit ScreenRig(const QString& model = QStringLiteral("quorin-p3"))
        : AppRig({model})
    {
        port.close();   // start-up opens it
    }
    void start()
    {
        QVERIFY(runStartup(clock, port, app->startup));
        QVERIFY(QTest::qWaitForWindowExposed(main));
        if (app->panTiltFlags.shown && session.panTiltFamily())
            QVERIFY(QTest::qWaitForWindowExposed(panTilt()));
        settle();
    }
    // Lets the window system's answers and the docking check come through.
    void settle()
    {
        for (int i = 0; i < 5; ++i) {
            QTest::qWait(20);
            app->panTilt().check_DspPTW();
        }
    }
    QRect area() const { return main->screen()->availableGeometry(); }
    FrmPanTilt* panTilt() const { return app->panTilt().window(); }
    QRect menuBarOnScreen() const
    {
        QMenuBar* bar = main->menuBar();
        return QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    }
    // The whole canvas shows: no scroll bar, nothing of it under the status line.
    QStringList mainWindowCut() const
    {
        QStringList faults;
        auto* scroll = main->findChild<QScrollArea*>(QStringLiteral("MainScroll"));
        QWidget* canvas = main->canvas();
        const QRect showing(canvas->mapFrom(scroll->viewport(), QPoint(0, 0)), scroll->viewport()->size());
        if (!showing.contains(canvas->rect()))
            faults << QStringLiteral("the canvas %1 shows only %2").arg(show(canvas->rect()), show(showing));
        if (scroll->horizontalScrollBar()->isVisible() || scroll->verticalScrollBar()->isVisible())
            faults << QStringLiteral("scroll bars on the main window");
        if (!area().contains(main->frameGeometry()))
            faults << QStringLiteral("main window %1 beyond the screen's %2").arg(show(main->frameGeometry()), show(area()));
        faults << cutOff(canvas, showing.intersected(canvas->rect()));
        return faults;
    }

};

} // namespace

class TestWindowPlaces : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        qInfo().noquote() << "screen" << show(QGuiApplication::primaryScreen()->availableGeometry()) << "scale"
                          << QGuiApplication::primaryScreen()->devicePixelRatio();
    }

    // Nothing of the main window is cut, at its default size, with the
    // status line up, and with a place saved on a larger screen.
    void mainWindowWhole_data()
    {
        QTest::addColumn<QString>("model");
        for (const char* model : {"quorin-p1", "quorin-p2", "quorin-p3", "tamiro-k9b", "tamiro-j1a"})
            QTest::newRow(model) << QString::fromLatin1(model);
    }
    void mainWindowWhole()
    {
        QFETCH(QString, model);
        ScreenRig r(model);
        r.start();
        QStringList faults = r.mainWindowCut();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
        faults = captionsCut(r.main->canvas());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));

        r.port.pull();   // the link is lost: the status line says so
        QTRY_VERIFY(r.main->statusBar()->isVisible());
        r.settle();
        faults = r.mainWindowCut();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    void placeFromALargerScreen()
    {
        ScreenRig r;
        const QRect area = r.area();
        Placement saved;
        saved.left = twips::fromPixels(area.right() - 300);
        saved.top = twips::fromPixels(area.bottom() - 200);
        saved.width = twips::fromPixels(area.width() * 2);
        r.settings.save(saved, r.app->panTiltFlags, {});
        r.start();
        QVERIFY2(area.contains(r.main->frameGeometry()), qPrintable(show(r.main->frameGeometry())));
        const QStringList faults = r.mainWindowCut();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    // Docked, the pan-tilt window is inside the screen: below the main window
    // where there is room, else beside it, never over its menu bar; released,
    // it stays; grown, it stays inside.
    void panTiltInsideTheScreen()
    {
        ScreenRig r;
        r.start();
        FrmPanTilt* w = r.panTilt();
        const QRect area = r.area();
        const QRect main = r.main->frameGeometry();
        for (bool large : {true, false}) {
            if (r.app->panTiltFlags.large != large)
                QTest::mouseClick(w->ptwSizeS, Qt::LeftButton);
            r.settle();
            const QRect pt = w->frameGeometry();
            QVERIFY2(area.contains(pt), qPrintable(show(pt) + " beyond " + show(area)));
            QVERIFY2(!pt.intersects(r.menuBarOnScreen()), qPrintable(show(pt)));
            if (main.bottom() + pt.height() <= area.bottom())
                QCOMPARE(pt.topLeft(), main.bottomLeft() + QPoint(0, 1));
            else
                QCOMPARE(pt.bottom(), main.bottom());
            const QStringList faults = cutOff(w, w->rect()) + captionsCut(w);
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
        }

        // Released where it is; the timer's checks leave it there.
        const QPoint docked = w->frameGeometry().topLeft();
        QTest::mouseClick(w->ptwDockingS, Qt::LeftButton);
        r.settle();
        QCOMPARE(w->frameGeometry().topLeft(), docked);

        // Moved to the right edge and grown: pulled back inside.
        w->move(area.right() + 1 - w->frameGeometry().width(), area.top() + 40);
        r.settle();
        QTest::mouseClick(w->ptwSizeS, Qt::LeftButton);
        r.settle();
        QVERIFY(r.app->panTiltFlags.large);
        QVERIFY2(area.contains(w->frameGeometry()), qPrintable(show(w->frameGeometry())));
        QCOMPARE(w->frameGeometry().right(), area.right());
    }

    // With the main window dragged half off the screen's far corner, the
    // windows that open at an offset from it stay inside the screen.
    void dialogsInsideTheScreen()
    {
        ScreenRig r(QStringLiteral("tamiro-k9b"));
        r.start();
        const QRect area = r.area();
        r.main->move(area.right() - 300, area.bottom() - 200);
        r.settle();
        QVERIFY(!area.contains(r.main->frameGeometry()));
        const struct {
            const char* item;
            const char* window;
        } windows[] = {{"AESpotMode", "FrmAES"},   {"MotionDetecter", "FrmMD"},   {"TitleSet", "FrmTitle_M"},
                       {"IDWrite", "FrmCamID"},    {"EffectLevel", "FrmDeffect"}, {"AutoPowerOff", "FrmAutoPOff"},
                       {"version", "FrmAbout"}};
        for (const auto& [item, name] : windows) {
            QAction* opener = r.main->action(QString::fromLatin1(item));
            opener->setEnabled(true);
            opener->trigger();
            QPointer<QWidget> w = r.main->findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY2(w && w->isVisible(), name);
            QVERIFY(QTest::qWaitForWindowExposed(w));
            r.settle();
            QVERIFY2(area.contains(w->frameGeometry()), qPrintable(QString::fromLatin1(name) + ' ' + show(w->frameGeometry())));
            w->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY2(!w || !w->isVisible(), name);
        }
    }

    // Decoded Traffic opens beside the main window where the screen has room
    // for it, and never over the main window's menus.
    void trafficBesideTheMainWindow()
    {
        ScreenRig r;
        r.start();
        r.main->action(QStringLiteral("TrafficView"))->trigger();
        auto* t = r.main->findChild<FrmTraffic*>(QStringLiteral("FrmTraffic"));
        QVERIFY(t);
        QVERIFY(QTest::qWaitForWindowExposed(t));
        r.settle();
        const QRect area = r.area();
        const QRect main = r.main->frameGeometry();
        const QRect view = t->frameGeometry();
        QVERIFY2(area.contains(view), qPrintable(show(view) + " beyond " + show(area)));
        QVERIFY2(!view.intersects(r.menuBarOnScreen()), qPrintable(show(view)));
        const int besideRoom = qMax(area.right() - main.right(), main.left() - area.left());
        if (besideRoom >= FrmTraffic::kLeastSize.width())
            QVERIFY2(!view.intersects(main), qPrintable(show(view) + " over " + show(main)));
        QVERIFY(view.width() >= FrmTraffic::kLeastSize.width());
        const QStringList faults = captionsCut(t);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }
};

QTEST_MAIN(TestWindowPlaces)
#include "test_window_places.moc"
