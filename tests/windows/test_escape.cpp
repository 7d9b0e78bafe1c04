// Escape in any tool window closes it, from whichever control has the
// focus, as it closes the dialogs; the main window stays.
#include "pan_tilt_controller.h"
#include "frm_pan_tilt.h"
#include "window_rig.h"

#include <QLineEdit>
#include <QPointer>

using namespace peltro;
using namespace peltro::test;

class TestEscape : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        quietPlatform();
    }
    void cleanupTestCase() { loudPlatform(); }

    void escapeCloses_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("item");     // the menu item that opens the window
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");  // where the key is pressed
        QTest::newRow("Decoded Traffic") << "quorin-p3" << "TrafficView" << "FrmTraffic" << "TrafficList";
        QTest::newRow("Decoded Traffic, filter") << "quorin-p3" << "TrafficView" << "FrmTraffic" << "TrafficCamera";
        QTest::newRow("Factory Set") << "tamiro-j1a" << "SettingMenu" << "FSet" << "EPromText1";
        QTest::newRow("Factory Set, button") << "tamiro-j1a" << "SettingMenu" << "FSet" << "EPromCmdRD";
        QTest::newRow("PrivacyA") << "tamiro-k5a" << "PrivacyAv" << "PrivacyA" << "Zones_0";
        QTest::newRow("PrivacyA, switch") << "tamiro-k5a" << "PrivacyAv" << "PrivacyA" << "SettingMode";
        QTest::newRow("Privacy") << "tamiro-k9b" << "SettingZones" << "Privacy" << "Zones_0";
        QTest::newRow("AE SPOT") << "tamiro-k9b" << "AESpotMode" << "FrmAES" << "AESpotPosX";
        QTest::newRow("Alarm") << "tamiro-k9b" << "MotionDetecter" << "FrmMD" << "txtMDday";
        QTest::newRow("Pan/Tilt") << "quorin-p3" << "" << "FrmPanTilt" << "PanSpeed";
    }
    void escapeCloses()
    {
        QFETCH(QString, model);
        QFETCH(QString, item);
        QFETCH(QString, window);
        QFETCH(QString, control);
        WindowRig r({model});
        r.showMain();
        if (item.isEmpty()) {
            r.app->panTilt().DspPTW();
        } else {
            QAction* opener = r.main->action(item);
            opener->setEnabled(true);
            opener->trigger();
        }
        QPointer<QWidget> w = r.main->findChild<QWidget*>(window);
        QVERIFY(w && w->isVisible());
        QWidget* at = requireChild<QWidget>(w.data(), control);
        QTest::keyClick(at, Qt::Key_Escape);
        WindowRig::unload();
        QVERIFY2(!w || !w->isVisible(), qPrintable(window));
        QVERIFY(r.main->isVisible());
        if (item.isEmpty()) {
            // like its close box: the window buttons say so, OPEN brings it back
            QVERIFY(!r.app->panTiltFlags.shown);
            QCOMPARE(r.main->control<QPushButton>(QStringLiteral("PTWCloseM"))->text(), QStringLiteral("OPEN"));
        }
    }

    // A key the focused control uses is not taken for the window.
    void otherKeysStay()
    {
        WindowRig r({QStringLiteral("tamiro-k5a")});
        r.showMain();
        r.trigger("PrivacyAv");
        QPointer<QWidget> w = r.main->findChild<QWidget*>(QStringLiteral("PrivacyA"));
        QVERIFY(w);
        auto* box = requireChild<QLineEdit>(w.data(), QStringLiteral("Zones_0"));
        QTest::keyClick(box, Qt::Key_Escape, Qt::ShiftModifier);
        QTest::keyClicks(box, QStringLiteral("7"));
        WindowRig::unload();
        QVERIFY(w && w->isVisible());
        QCOMPARE(box->text(), QStringLiteral("07"));
    }
};

QTEST_MAIN(TestEscape)
#include "test_escape.moc"
