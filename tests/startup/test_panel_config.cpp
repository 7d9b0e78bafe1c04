#include "app_rig.h"
#include "frm_main.h"
#include "panel_view.h"
#include "twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QSlider>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

// A version answer: y0 50 00 vv 00 mm 02 05 02 FF
QByteArray version(int source, int vendor, int model)
{
    return Packet{source, 0x50, 0x00, vendor, 0x00, model, 0x02, 0x05, 0x02, 0xFF}.bytes();
}

bool shown(FrmMain& m, const char* name)
{
    return !m.control<QWidget>(QString::fromLatin1(name))->isHidden();
}
bool enabled(FrmMain& m, const char* name)
{
    if (auto* a = m.findChild<QAction*>(QString::fromLatin1(name)))
        return a->isEnabled();
    return m.control<QWidget>(QString::fromLatin1(name))->isEnabled();
}
double twipsTop(QWidget* w)
{
    return twips::fromPixels(w->y());
}

bool isVersionInquiry(const QByteArray& packet)
{
    return packet.size() == 5 && quint8(packet[1]) == 0x09 && quint8(packet[2]) == 0x00 && quint8(packet[3]) == 0x02;
}

// The panel of a chain whose first camera says nothing of itself: start-up's
// identification runs on whatever version answer the test puts on the line.
struct ConfigRig : PanelRig {
    ConfigRig() { chain.faults.silent.insert(1); }
    // Start-up's identification of the addressed camera, answered with answer.
    std::optional<Identity> identifyModel(const QByteArray& answer)
    {
        const auto reply = QObject::connect(&link(), &Link::wrote, [this, answer](const QByteArray& packet) {
            if (isVersionInquiry(packet))
                port.injectFromChain(answer);
        });
        session.beginStartup();
        const std::optional<Identity> id = finish(*this, session.checkVersion([] {}));
        session.endStartup();
        QObject::disconnect(reply);
        takeWrites();
        return id;
    }
};

// What the operator can see of a widget: its rectangle on the canvas, cut by
// every frame it sits in.
QRect seenRect(QWidget* w, QWidget* canvas)
{
    QRect seen(w->mapTo(canvas, QPoint(0, 0)), w->size());
    for (QWidget* p = w->parentWidget(); p && p != canvas; p = p->parentWidget())
        seen &= QRect(p->mapTo(canvas, QPoint(0, 0)), p->size());
    return seen;
}

// The controls an operator can click: every named widget but the frames,
// labels and separator lines, and Qt's own parts of composite widgets.
bool clickable(QWidget* w)
{
    const QString name = w->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
        return false;
    if (qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w))
        return false;
    return qstrcmp(w->metaObject()->className(), "QFrame") != 0;
}

} // namespace

class TestPanelConfig : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void designedMenuBar()
    {
        ConfigRig r;
        FrmMain& m = *r.main;
        // captions that differ from the item's name, and the submenus' own entries
        const QList<std::pair<const char*, const char*>> captions{
            {"Power", "PowerOn/Off"}, {"Quit", "Exit"}, {"CameraSel_7", "Camera7"}, {"M_Function", "Function"},
            {"Freese", "Freeze"}, {"BlackWhite", "Black&&White"}, {"AESpotMode", "AE SPOT"}, {"ATWPro", "Auto"},
            {"FactorySetMenu", "Factory Set"}, {"PrivacyAv", "PrivacyA"}, {"MotionDetecter", "Alarm"}};
        for (auto [name, caption] : captions) {
            QAction* a = m.action(QString::fromLatin1(name));
            QVERIFY2(a, name);
            QCOMPARE(a->text(), QString::fromLatin1(caption));
        }
        QCOMPARE(m.menu(QStringLiteral("PictureEffect"))->actions().size(), 9);
        QVERIFY(!m.action(QStringLiteral("AutoRefresh"))->isVisible());
        QVERIFY(!m.action(QStringLiteral("AutoRefresh"))->isEnabled());
        QVERIFY(!m.action(QStringLiteral("GainPriority"))->isVisible());
        QVERIFY(!m.action(QStringLiteral("Wide"))->isVisible());
        QVERIFY(m.action(QStringLiteral("CameraSel_1"))->isChecked());
        QVERIFY(!m.action(QStringLiteral("CameraSel_2"))->isChecked());

        // designed frame captions and the start in auto focus / full auto
        QCOMPARE(m.control<QGroupBox>(QStringLiteral("FmZoom"))->title(), QStringLiteral("Lens Control"));
        QCOMPARE(m.control<QGroupBox>(QStringLiteral("FmWB"))->title(), QStringLiteral("WhiteBalance "));
        QCOMPARE(m.control<QGroupBox>(QStringLiteral("Frame5"))->title(), QStringLiteral("V-Phase"));
        QVERIFY(!enabled(m, "Near") && !enabled(m, "FocusSlider") && !enabled(m, "AFModeCmd_0"));
        QVERIFY(enabled(m, "ManAFMode") && enabled(m, "AFModeCmd_2") && !enabled(m, "AFModeCmd_1"));
        QVERIFY(!enabled(m, "IrisSlider") && !enabled(m, "BrightUp") && enabled(m, "BackLight"));
        QVERIFY(shown(m, "ZoomSliderShort") && !shown(m, "ZoomSlider"));
        // one of the two frames that share a place: the block cameras' memories
        QVERIFY(shown(m, "FmMemory") && !shown(m, "FmPreset"));
        QCOMPARE(m.control<QSlider>(QStringLiteral("ZoomSlider"))->maximum(), 0x7000);
        QCOMPARE(m.control<QSlider>(QStringLiteral("DZoomSlider"))->maximum(), 0xEB);
        QCOMPARE(m.control<QLineEdit>(QStringLiteral("TeleSpeed"))->text(), QStringLiteral("4"));
        QCOMPARE(m.control<QLineEdit>(QStringLiteral("AFacttime"))->text(), QStringLiteral("05"));
    }

    void blockCameraRows_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("iris1");
        QTest::addColumn<QStringList>("disabledItems");
        QTest::addColumn<QStringList>("hiddenItems");
        QTest::addColumn<QStringList>("hiddenControls");
        QTest::addColumn<QStringList>("stillOn");

        QTest::newRow("K9S: D PZ FM PA") << 0x11 << "TAMIRO-K9S/SP" << "NTSC/PAL" << "F28"
            << QStringList{"SetTimeDate", "DateDisplay", "TimeDisplay", "PrivacyZone", "PrivacyAv"}
            << QStringList{"PictureFlip", "MotionDetecter"} << QStringList{}
            << QStringList{"Freese", "LineLock", "Comstabi", "Frame5", "FmWB"};
        QTest::newRow("K3A: ST D AS FR PZ FM") << 0x16 << "TAMIRO-K3A" << "NTSC" << "F22"
            << QStringList{"Freese", "SetTimeDate", "PrivacyZone"} << QStringList{"PictureFlip"}
            << QStringList{"Comstabi", "LblAE_17", "AutoSlowShutter"} << QStringList{"PrivacyAv", "Frame5"};
        QTest::newRow("J4A disables freeze") << 0x18 << "TAMIRO-J4A" << "NTSC" << "F22"
            << QStringList{"Freese", "LineLock"} << QStringList{"MotionDetecter"}
            << QStringList{"Frame5", "LblWbApVp_3"} << QStringList{"SetTimeDate"};
        QTest::newRow("J4AP keeps freeze") << 0x19 << "TAMIRO-J4AP" << "PAL" << "F22"
            << QStringList{"LineLock"} << QStringList{} << QStringList{"Frame5"} << QStringList{"Freese"};
        QTest::newRow("J1A: 10x lens, VP") << 0x1C << "TAMIRO-J1A" << "NTSC" << "F28"
            << QStringList{"LineLock", "PrivacyZone"} << QStringList{"PictureFlip"}
            << QStringList{"Frame5", "LblWbApVp_3", "Comstabi"} << QStringList{"Freese", "DateDisplay"};
        QTest::newRow("K3BCE: BW WB") << 0x2B << "TAMIRO-K3BCE" << "CCIR" << "F22"
            << QStringList{"BlackWhite", "PrivacyAv", "Freese"} << QStringList{"WBMode"}
            << QStringList{"FmWB", "Comstabi"} << QStringList{"PrivacyZone", "LineLock", "PictureFlip"};
    }

    void blockCameraRows()
    {
        QFETCH(int, code);
        QFETCH(QString, name);
        QFETCH(QString, system);
        QFETCH(QString, iris1);
        QFETCH(QStringList, disabledItems);
        QFETCH(QStringList, hiddenItems);
        QFETCH(QStringList, hiddenControls);
        QFETCH(QStringList, stillOn);
        ConfigRig r;
        FrmMain& m = *r.main;
        QVERIFY(r.identifyModel(version(0x90, 0x20, code)));
        QCOMPARE(m.windowTitle(), QStringLiteral("TAMIRO-  B SERIES Control Panel"));
        QCOMPARE(m.modelVersion->text(), name);
        QCOMPARE(m.ntscOrPal->text(), system);
        QCOMPARE(m.labels.iris[1], iris1);
        QVERIFY(!r.session.panTiltFamily());
        QVERIFY(!shown(m, "FmPreset") && !shown(m, "FmPTWindowM") && shown(m, "FmMemory"));
        for (const QString& n : disabledItems)
            QVERIFY2(!m.action(n)->isEnabled() && m.action(n)->isVisible(), qPrintable(n));
        for (const QString& n : hiddenItems)
            QVERIFY2(!m.action(n)->isVisible(), qPrintable(n));
        for (const QString& n : hiddenControls)
            QVERIFY2(m.control<QWidget>(n)->isHidden(), qPrintable(n));
        for (const QString& n : stillOn) {
            if (auto* a = m.findChild<QAction*>(n))
                QVERIFY2(a->isEnabled() && a->isVisible(), qPrintable(n));
            else
                QVERIFY2(!m.control<QWidget>(n)->isHidden(), qPrintable(n));
        }
        // the 10x bright set has 24 entries, the others 32
        QCOMPARE(m.labels.bright[31].isEmpty(), code == 0x1C);
    }

    void quorinFamily()
    {
        ConfigRig r;
        FrmMain& m = *r.main;
        QVERIFY(r.identifyModel(version(0x90, 0x01, 0x0E)));
        QCOMPARE(m.windowTitle(), QStringLiteral("QUORIN  SERIES  Control  Panel"));
        QVERIFY(r.session.panTiltFamily());
        QCOMPARE(int(r.session.panTiltModel()), 0x0E);
        QVERIFY(!shown(m, "FmMemory") && shown(m, "FmPTWindowM") && shown(m, "FmPreset"));
        QCOMPARE(m.control<QSlider>(QStringLiteral("ZoomSlider"))->maximum(), 0x7AC0);
        QVERIFY(!m.windowIcon().isNull());

        // P1 and P2: the code only; the status read configures the panel
        for (int code : {0x02, 0x0D}) {
            ConfigRig s;
            QVERIFY(s.identifyModel(version(0x90, 0x01, code)));
            QCOMPARE(int(s.session.panTiltModel()), code);
            QCOMPARE(s.main->windowTitle(), QStringLiteral("QUORIN  SERIES  Control  Panel"));
            QVERIFY(!s.main->control<QWidget>(QStringLiteral("FmPreset"))->isHidden());
            QCOMPARE(s.main->control<QSlider>(QStringLiteral("ZoomSlider"))->maximum(), 0x7000);
            QVERIFY(!s.main->control<QWidget>(QStringLiteral("Frame5"))->isHidden());
        }
    }

    void everySimulatedModelIdentifies()
    {
        for (const ModelId& id : allModels()) {
            PanelRig r({id.shortName});
            r.identify();
            QCOMPARE(r.session.panTiltFamily(), id.family == Family::Quorin);
            QCOMPARE(r.session.identity(1)->name, id.name);
            if (id.family == Family::Tamiro)
                QCOMPARE(r.main->modelVersion->text(), id.name);
            else
                QCOMPARE(int(r.session.panTiltModel()), int(id.modelLow));
        }
    }

    void skipRules()
    {
        {   // answer from camera 1 while camera 2 is addressed
            ConfigRig r;
            r.session.setAddress(2);
            QVERIFY(!r.identifyModel(version(0x90, 0x20, 0x1C)));
            QVERIFY(!r.session.identity(2) && !r.session.identity(1));
            QVERIFY(r.main->modelVersion->text().isEmpty());
            QVERIFY(r.main->windowTitle() != QStringLiteral("TAMIRO-  B SERIES Control Panel"));
            QVERIFY(r.main->labels.iris[1].isEmpty());
        }
        {   // unknown vendor: nothing changes
            ConfigRig r;
            const QString title = r.main->windowTitle();
            QVERIFY(!r.identifyModel(version(0x90, 0x07, 0x1C)));
            QCOMPARE(r.main->windowTitle(), title);
            QVERIFY(r.main->labels.iris[1].isEmpty());
            QVERIFY(!r.main->control<QWidget>(QStringLiteral("FmMemory"))->isHidden());
        }
        {   // unknown block model: family only
            ConfigRig r;
            QVERIFY(r.identifyModel(version(0x90, 0x20, 0x30)));
            QCOMPARE(r.main->windowTitle(), QStringLiteral("TAMIRO-  B SERIES Control Panel"));
            QVERIFY(r.main->control<QWidget>(QStringLiteral("FmPreset"))->isHidden());
            QVERIFY(r.main->modelVersion->text().isEmpty());
            QVERIFY(r.main->ntscOrPal->text().isEmpty());
            QVERIFY(r.main->labels.iris[1].isEmpty());
        }
        {   // unknown pan/tilt model: code stays 0
            ConfigRig r;
            QVERIFY(r.identifyModel(version(0x90, 0x01, 0x05)));
            QVERIFY(r.session.panTiltFamily());
            QCOMPARE(int(r.session.panTiltModel()), 0);
        }
        {   // a broken answer (filler) changes nothing
            ConfigRig r;
            const QString title = r.main->windowTitle();
            QVERIFY(!r.identifyModel(QByteArray::fromHex("00010203040506070809")));
            QCOMPARE(r.main->windowTitle(), title);
            QVERIFY(!r.session.panTiltFamily() && r.main->labels.iris[1].isEmpty());
        }
    }

    // Frames overlap where the layout says so (the focus frame lies 130 twips
    // over the frame above it); no shown control may lose clicks to that, to
    // a neighbour or to the edge of its own frame. A corner (1 pixel in)
    // must reach the control itself.
    void everyShownControlIsClickable_data()
    {
        QTest::addColumn<QString>("model");  // "" before any camera is identified
        QTest::newRow("unidentified") << "";
        for (const char* m : {"quorin-p1", "quorin-p2", "quorin-p3", "tamiro-j1a", "tamiro-k3bce"})
            QTest::newRow(m) << m;
    }

    void everyShownControlIsClickable()
    {
        QFETCH(QString, model);
        PanelRig r({model.isEmpty() ? QStringLiteral("quorin-p3") : model});
        FrmMain& m = *r.main;
        // identified as the status read identifies it
        if (!model.isEmpty())
            r.identify();
        m.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        QWidget* canvas = m.canvas();

        QStringList lost;
        int checked = 0;
        for (QWidget* w : canvas->findChildren<QWidget*>()) {
            if (!clickable(w) || !w->isVisible() || seenRect(w, canvas).isEmpty())
                continue;  // hidden, or wholly outside its frame: not there for the operator
            ++checked;
            const QRect r(w->mapTo(canvas, QPoint(0, 0)), w->size());
            for (QPoint corner : {r.topLeft() + QPoint(1, 1), r.topRight() + QPoint(-1, 1),
                                  r.bottomLeft() + QPoint(1, -1), r.bottomRight() + QPoint(-1, -1)}) {
                QWidget* hit = canvas->childAt(corner);
                if (hit != w && !w->isAncestorOf(hit))
                    lost << w->objectName() + QStringLiteral(" under ") + (hit ? hit->objectName() : QStringLiteral("nothing"));
            }
        }
        lost.removeDuplicates();
        QVERIFY(checked > 60);
        QVERIFY2(lost.isEmpty(), qPrintable(lost.join(QLatin1String(", "))));
    }

    void panTiltProcedures_data()
    {
        QTest::addColumn<int>("model");
        QTest::newRow("P1") << 0x02;
        QTest::newRow("P2") << 0x0D;
        QTest::newRow("P3") << 0x0E;
    }

    void panTiltProcedures()
    {
        QFETCH(int, model);
        PanelRig r;
        FrmMain& m = *r.main;
        m.control<QCheckBox>(QStringLiteral("DZoom"))->setChecked(true);
        m.control<QLineEdit>(QStringLiteral("GainValue"))->setText(QStringLiteral("6dB"));
        const std::optional<Identity> id = identityOf(version(0x90, 0x01, model));
        QVERIFY(id);
        auto run = [&] { r.app->view.applyProfile(id); };
        // after a block camera of the chain had its panel up
        r.app->view.applyProfile(identityOf(version(0x90, 0x20, 0x2B)));
        QVERIFY(!shown(m, "FmWB"));
        run();
        run();  // idempotent: a second run changes nothing
        QVERIFY(shown(m, "FmWB") && m.action(QStringLiteral("WBMode"))->isVisible() && enabled(m, "Freese"));

        auto slider = [&](const char* n) { return m.control<QSlider>(QString::fromLatin1(n))->maximum(); };
        auto height = [&](const char* n) { return twips::fromPixels(m.control<QWidget>(QString::fromLatin1(n))->height()); };
        auto bottom = [&](const char* n) {
            QWidget* w = m.control<QWidget>(QString::fromLatin1(n));
            return twips::fromPixels(w->y()) + twips::fromPixels(w->height());
        };
        const double px = twips::perPixel();
        QWidget* focus = m.control<QWidget>(QStringLiteral("FmFocus"));
        QWidget* preset = m.control<QWidget>(QStringLiteral("FmPreset"));
        if (model == 0x02) {
            QCOMPARE(slider("GainSlider"), 15);
            QCOMPARE(slider("ZoomSlider"), 0x7000);
            QVERIFY(m.control<QLineEdit>(QStringLiteral("GainValue"))->text().isEmpty());
            QVERIFY(!m.control<QCheckBox>(QStringLiteral("DZoom"))->isChecked());
            QVERIFY(!shown(m, "DZoom") && !shown(m, "ExpComp") && !shown(m, "FmAPC") && !shown(m, "AF_Sens"));
            QVERIFY(!enabled(m, "IDWrite") && !enabled(m, "M_Function") && !enabled(m, "ATW"));
            QVERIFY(enabled(m, "Pastel"));  // left alone
            QCOMPARE(twipsTop(m.control<QWidget>(QStringLiteral("BackLight"))), 3960.0);
            QVERIFY(qAbs(height("FmAEControl") - 4295) < px && qAbs(height("FmFocus") - 2600) < px);
            QVERIFY(qAbs(twipsTop(focus) - (bottom("FmZoom") - 130)) < 2 * px);
            QVERIFY(qAbs(twipsTop(preset) - bottom("FmWB")) < 2 * px);
            QCOMPARE(m.labels.gain[2], QStringLiteral("2dB"));  // no list filled
        } else if (model == 0x0D) {
            QCOMPARE(slider("GainSlider"), 7);
            QCOMPARE(slider("ShutterSlider"), 19);
            QCOMPARE(slider("BrightSlider"), 23);
            QCOMPARE(slider("ZoomSlider"), 0x7000);
            QCOMPARE(slider("FocusNearLimitSlider"), 0x8400);
            QCOMPARE(m.labels.gain[2], QStringLiteral("3dB"));
            QCOMPARE(m.labels.shutter[0][0], QStringLiteral("1/4"));
            QCOMPARE(m.labels.shutter[1][0], QStringLiteral("1/3"));
            QCOMPARE(m.labels.shutter[0][20], QStringLiteral("1/6000"));
            QCOMPARE(m.control<QCheckBox>(QStringLiteral("AF_Sens"))->text(), QStringLiteral("High/Low"));
            QVERIFY(shown(m, "DZoom") && !shown(m, "DZoomMode_0") && !shown(m, "FmDZoom") && !shown(m, "CmdAutoICR"));
            QVERIFY(!shown(m, "AFModeCmd_2") && shown(m, "AFTrig"));
            QVERIFY(!enabled(m, "Mute") && !enabled(m, "MotionDetecter") && enabled(m, "Sepia") && enabled(m, "GainAuto"));
            QVERIFY(qAbs(height("FmFocus") - 3735) < px);
            QVERIFY(qAbs(twipsTop(focus) - (bottom("FmZoom") - 130)) < 2 * px);
            QVERIFY(qAbs(twipsTop(preset) - bottom("FmAPC")) < 2 * px);
        } else {
            QCOMPARE(slider("ZoomSlider"), 0x7AC0);
            QCOMPARE(slider("FocusSlider"), 0xC000);
            QCOMPARE(slider("GainSlider"), 15);
            QCOMPARE(m.labels.iris[11], QStringLiteral("F4.0"));
            QCOMPARE(m.control<QCheckBox>(QStringLiteral("AF_Sens"))->text(), QStringLiteral("Norm/Low"));
            QVERIFY(shown(m, "FmDZoom") && shown(m, "CmdICR_1") && shown(m, "AFModeCmd_3") && !shown(m, "Comstabi"));
            QVERIFY(enabled(m, "Mute") && !enabled(m, "KeyLock") && !enabled(m, "Sepia") && enabled(m, "NegArt"));
            QVERIFY(!enabled(m, "Sync") && !enabled(m, "PrivacyZone") && enabled(m, "MotionDetecter"));
            QCOMPARE(twipsTop(m.control<QWidget>(QStringLiteral("BackLight"))), 5160.0);
            QVERIFY(qAbs(height("FmAEControl") - 6295) < px);
            QVERIFY(qAbs(twipsTop(focus) - (bottom("FmDZoom") - 130)) < 2 * px);
            QVERIFY(qAbs(twipsTop(preset) - bottom("FmAPC")) < 2 * px);
        }
        QVERIFY(!shown(m, "Frame5"));
    }
};

QTEST_MAIN(TestPanelConfig)
#include "test_panel_config.moc"
