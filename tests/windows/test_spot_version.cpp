// The AE spot window and the version windows: the spot's packets and what
// is refused, the window's own log, the program's version texts, the
// camera's facts read in its service mode (and left again), and what the
// windows do to auto refresh and the docking check.
#include "frm_about.h"
#include "frm_aes.h"
#include "program_info.h"
#include "service_info.h"
#include "traffic_text.h"
#include "twips.h"
#include "window_rig.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace peltro;
using namespace peltro::test;

namespace {

struct SpotRig : WindowRig {
    using WindowRig::WindowRig;

    FrmAES& openSpot()
    {
        trigger("AESpotMode");
        FrmAES* w = window<FrmAES>("FrmAES");
        if (!w)
            qFatal("the AE spot window did not open");
        return *w;
    }
    FrmAbout& openAbout()
    {
        trigger("version");
        FrmAbout* w = window<FrmAbout>("FrmAbout");
        if (!w)
            qFatal("the version window did not open");
        return *w;
    }
    // Opens the information window and waits until the camera has been read.
    Frmmoreinfo& openInfo()
    {
        click(&openAbout(), "more");
        Frmmoreinfo* w = window<Frmmoreinfo>("Frmmoreinfo");
        if (!w)
            qFatal("the information window did not open");
        runUntil([w] { return !w->reading(); });
        return *w;
    }
    static QString texts(Frmmoreinfo& w)
    {
        return QStringList({w.frame1->title(), w.lblRomVer->text(), w.lblDate->text(), w.lblRemodel->text()})
            .join(QLatin1Char('|'));
    }
};

} // namespace

class TestSpotVersion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        quietPlatform();
    }
    void cleanupTestCase() { loudPlatform(); }

    // --- AE spot -------------------------------------------------------------

    void spotContent()
    {
        SpotRig r;
        r.showMain();
        FrmAES& w = r.openSpot();
        QCOMPARE(w.windowTitle(), QStringLiteral("AE SPOT"));
        QVERIFY(w.isVisible() && w.isModal());
        QCOMPARE(w.frameGeometry().topLeft(),
                 r.main->frameGeometry().topLeft() + QPoint(twips::toPixels(100), twips::toPixels(100)));
        QCOMPARE(QStringList({w.aeSpotOn->text(), w.aeSpotOff->text(), w.aeSpotSet->text()}),
                 QStringList({"ON", "OFF", "Position Set"}));
        QStringList labels;
        for (QLabel* l : w.findChildren<QLabel*>())
            labels << l->text();
        QCOMPARE(labels, QStringList({"q: 0 to F", "s: 0 to F"}));
        QVERIFY(w.aeSpotPosX->text().isEmpty() && w.aeSpotPosY->text().isEmpty());
        // One character each: a second one typed is not taken.
        QTest::keyClicks(w.aeSpotPosX, QStringLiteral("1F"));
        QTest::keyClicks(w.aeSpotPosY, QStringLiteral("AB"));
        QCOMPARE(QStringList({w.aeSpotPosX->text(), w.aeSpotPosY->text()}), QStringList({"1", "A"}));
        QCOMPARE(std::pair(w.aeSpotPosX->maxLength(), w.aeSpotPosY->maxLength()), std::pair(1, 1));
    }

    void spotPackets_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("q");
        QTest::addColumn<QString>("s");
        QTest::addColumn<QString>("packet");
        QTest::addColumn<QString>("camera");   // spot on, q, s afterwards
        QTest::newRow("on") << "AESpotON" << "" << "" << "81 01 04 59 02 FF" << "1 8 8";
        QTest::newRow("off") << "AESpotOFF" << "" << "" << "81 01 04 59 03 FF" << "0 8 8";
        QTest::newRow("A, 3") << "AESpotSet" << "A" << "3" << "81 01 04 29 00 0A 00 03 FF" << "0 10 3";
        QTest::newRow("empty boxes are 0") << "AESpotSet" << "" << "" << "81 01 04 29 00 00 00 00 FF" << "0 0 0";
        QTest::newRow("lower case") << "AESpotSet" << "f" << "e" << "81 01 04 29 00 0F 00 0E FF" << "0 15 14";
    }

    void spotPackets()
    {
        QFETCH(QString, button);
        QFETCH(QString, q);
        QFETCH(QString, s);
        QFETCH(QString, packet);
        QFETCH(QString, camera);
        SpotRig r;
        FrmAES& w = r.openSpot();
        w.aeSpotPosX->setText(q);
        w.aeSpotPosY->setText(s);
        QVERIFY(r.sent().isEmpty());   // editing the boxes sends nothing
        SpotRig::click(&w, qPrintable(button));
        QCOMPARE(r.sent(), QStringList{packet});
        QCOMPARE(w.log().text(TrafficLog::Sent), packet + QStringLiteral(" \r\n"));
        QVERIFY(r.main->sendText->text().isEmpty());
        ChainRig::pump();
        const sim::CameraState& c = r.chain.camera(1).state;
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(int(c.aeSpot)).arg(c.aeSpotQ).arg(c.aeSpotS), camera);
    }

    void spotRefusals_data()
    {
        QTest::addColumn<QString>("q");
        QTest::addColumn<QString>("s");
        QTest::addColumn<QString>("which");
        QTest::newRow("not hexadecimal") << "G" << "0" << "q";
        QTest::newRow("blank") << " " << "0" << "q";
        QTest::newRow("sign") << "-" << "0" << "q";
        QTest::newRow("s") << "0" << "x" << "s";
        QTest::newRow("s, past F") << "" << "g" << "s";
    }

    void spotRefusals()
    {
        QFETCH(QString, q);
        QFETCH(QString, s);
        QFETCH(QString, which);
        SpotRig r;
        FrmAES& w = r.openSpot();
        w.aeSpotPosX->setText(q);
        w.aeSpotPosY->setText(s);
        SpotRig::click(&w, "AESpotSet");
        QVERIFY(r.sent().isEmpty());
        QCOMPARE(r.boxTexts(), QStringList{QStringLiteral("The position %1 must be one hexadecimal digit, 0 to F."
                                                          "\nNothing was sent.")
                                               .arg(which)});
        QVERIFY(w.log().text(TrafficLog::Sent).isEmpty());
    }

    void spotLogKeepsTheLast1000()
    {
        SpotRig r;
        FrmAES& w = r.openSpot();
        w.aeSpotPosX->setText(QStringLiteral("A"));
        w.aeSpotPosY->setText(QStringLiteral("3"));
        for (int i = 0; i < 40; ++i)
            SpotRig::click(&w, "AESpotSet");
        QCOMPARE(r.sent().size(), 40);
        const QString log = w.log().text(TrafficLog::Sent);
        QCOMPARE(log.size(), 1000);
        QVERIFY(log.endsWith(QStringLiteral("\r\n81 01 04 29 00 0A 00 03 FF \r\n")));
        QCOMPARE(w.aeSpot->toPlainText(), QString(log).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

    void spotWindowHoldsRefresh_data()
    {
        QTest::addColumn<bool>("autoOn");
        QTest::addColumn<QString>("afterClose");
        QTest::newRow("auto") << true << "Auto 1 1 1 0";
        QTest::newRow("stopped") << false << "Stop 0 1 1 1";
    }

    void spotWindowHoldsRefresh()
    {
        QFETCH(bool, autoOn);
        QFETCH(QString, afterClose);
        SpotRig r;
        if (autoOn)
            r.autoOn();
        FrmAES& w = r.openSpot();
        // Both timers stop; the toggle is left as it was, behind the modal window.
        const QString resting = QStringLiteral("%1 0 1 0 %2").arg(autoOn ? "Auto" : "Stop").arg(int(!autoOn));
        QCOMPARE(r.timers(), resting);
        SpotRig::click(&w, "AESpotON");
        ChainRig::pump();   // its completion does not wake the timer
        QCOMPARE(r.timers(), resting);
        w.close();
        QCOMPARE(r.timers(), afterClose);
    }

    // --- version -------------------------------------------------------------

    void versionTexts()
    {
        const QStringList parts = QStringLiteral(PELTRO_VERSION).split(QLatin1Char('.'));
        QCOMPARE(program::version(), QStringLiteral(PELTRO_VERSION));
        SpotRig r;
        r.showMain();
        FrmAbout& w = r.openAbout();
        QCOMPARE(w.windowTitle(), QStringLiteral("Version Information"));
        QVERIFY(w.isVisible() && w.isModal());
        QCOMPARE(w.frameGeometry().topLeft(),
                 r.main->frameGeometry().topLeft() + QPoint(twips::toPixels(100), twips::toPixels(100)));
        QCOMPARE(w.lblVersion->text(), QStringLiteral("Version %1.%2  Revision %3").arg(parts[0], parts[1], parts[2]));
        QCOMPARE(w.lblTitle->text(), program::title());
        QVERIFY(w.lblDescription->text().isEmpty());
        QCOMPARE(w.lblSyouhyou->text(), program::trademark() + QLatin1Char(' ') + program::company());
        QCOMPARE(w.lblTyosakukenn->text(), program::rights());
        QCOMPARE(QStringList({w.okButton->text(), w.more->text()}), QStringList({"OK", "more Info."}));
        QCOMPARE(r.timers(), QStringLiteral("Stop 0 1 1 1"));   // this window holds nothing
        SpotRig::click(&w, "OK");
        QVERIFY(!w.isVisible());
    }

    void romVersionText_data()
    {
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<QString>("text");
        QTest::newRow("2.05") << 0x02 << 0x05 << "ROM Version    :    2.05";
        QTest::newRow("10.1F") << 0x0A << 0x1F << "ROM Version    :    10.1F";
        QTest::newRow("nothing identified") << 0 << 0 << "ROM Version    :    0.00";
    }

    void romVersionText()
    {
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(QString, text);
        QCOMPARE(service::romVersionText(high, low), text);
    }

    void serviceReplies()
    {
        QCOMPARE(service::dateText(0x2004, 0x0715), QStringLiteral("Date of Manufacture  :  2004. 7.15"));
        QCOMPARE(service::dateText(0x1999, 0x1201), QStringLiteral("Date of Manufacture  :  1999.12. 1"));
        QCOMPARE(service::remodelText(12), QStringLiteral("CamBlock Remodeling  :  12"));
        QCOMPARE(service::wordValue(bytes("90 41 FF 90 50 02 00 00 04 FF")), std::optional<int>(0x2004));
        QCOMPARE(service::wordValue(bytes("00 01 02 03 04 05 06 07 08 09")), std::nullopt);   // the filler
        QCOMPARE(service::wordValue(bytes("90 41 FF 90 51 FF 00 00 04 FF")), std::nullopt);
        QCOMPARE(service::wordValue(bytes("90 41 FF 90 50 12 00 00 04 FF")), std::nullopt);   // not a nibble
        QVERIFY(service::modeDone(bytes("A0 42 FF A0 52 FF")));
        QVERIFY(!service::modeDone(bytes("90 41 FF 90 61 41 FF")));   // refused
        QVERIFY(!service::modeDone(bytes("00 01 02 03 04 05")));
    }

    // The information sequence, byte for byte, per camera.
    void moreInfo_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("packets");
        QTest::addColumn<QString>("texts");
        const QString enter = QStringLiteral("81 01 06 22 11 FF");
        const QString year = QStringLiteral("81 01 06 1A 03 00 FF");
        const QString monthDay = QStringLiteral("81 01 06 1A 03 01 FF");
        const QString remodel = QStringLiteral("81 01 06 1A 02 03 FF");
        const QString leave = QStringLiteral("81 01 06 22 12 FF");
        const QString rom = QStringLiteral("Camera 1|ROM Version    :    2.05|");
        const QString date = QStringLiteral("Date of Manufacture  :  2004. 7.15");
        QTest::newRow("third pan/tilt model") << "quorin-p3" << "" << QStringList{enter, year, monthDay, remodel, leave}
                                              << rom + date + "|CamBlock Remodeling  :  2";
        // The second model is told to leave the service mode as well.
        QTest::newRow("second pan/tilt model") << "quorin-p2" << "" << QStringList{enter, year, monthDay, leave}
                                               << rom + date + "|";
        QTest::newRow("block camera") << "tamiro-k9s" << "" << QStringList{} << "Camera 1|ROM Version    :    0.00||";
        QTest::newRow("silent camera") << "quorin-p3" << "silent" << QStringList(7, enter) << rom + "|";
        // Entered, then no word comes: the camera is still told to leave.
        QTest::newRow("words refused") << "quorin-p3" << "words" << QStringList{enter} + QStringList(7, year) + QStringList{leave}
                                       << rom + "|";
    }

    void moreInfo()
    {
        QFETCH(QString, model);
        QFETCH(QString, fault);
        QFETCH(QStringList, packets);
        QFETCH(QString, texts);
        SpotRig r({model});
        QVERIFY(readStatus(r));   // identifies the camera, its ROM version included
        r.takeWrites();
        sim::CameraState& camera = r.chain.camera(1).state;
        if (fault == QLatin1String("silent"))
            r.chain.faults.silent.insert(1);
        if (fault == QLatin1String("words"))
            camera.manufactureYear = -1;   // a word this camera does not keep: refused
        Frmmoreinfo& w = r.openInfo();
        QCOMPARE(r.sent(), packets);
        QCOMPARE(SpotRig::texts(w), texts);
        QVERIFY(!camera.serviceMode);
        QCOMPARE(r.port.inBufferCount(), 0);
        QCOMPARE(r.port.rThreshold(), 1);
        QVERIFY(r.messages.boxes.isEmpty());
    }

    void moreInfoCannotCloseWhileReading()
    {
        SpotRig r;
        QVERIFY(readStatus(r));
        r.chain.faults.replyDelay = 0.5;
        SpotRig::click(&r.openAbout(), "more");
        Frmmoreinfo* w = r.window<Frmmoreinfo>("Frmmoreinfo");
        QVERIFY(w->reading() && !w->okButton->isEnabled());
        QCOMPARE(w->pos(), r.window<FrmAbout>("FrmAbout")->pos() + QPoint(twips::toPixels(100), twips::toPixels(100)));
        QCOMPARE(w->parentWidget(), r.window<FrmAbout>("FrmAbout"));
        w->close();
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(w->isVisible());
        QVERIFY(r.runUntil([w] { return !w->reading(); }));
        SpotRig::click(w, "OKButton");
        QVERIFY(!w->isVisible());
    }

    void moreInfoHoldsRefresh_data()
    {
        QTest::addColumn<bool>("autoOn");
        QTest::addColumn<QString>("afterClose");
        QTest::newRow("auto") << true << "Auto 1 1 1 0";
        QTest::newRow("stopped") << false << "Stop 0 1 1 1";
    }

    void moreInfoHoldsRefresh()
    {
        QFETCH(bool, autoOn);
        QFETCH(QString, afterClose);
        SpotRig r;
        QVERIFY(readStatus(r));
        if (autoOn)
            r.autoOn();
        Frmmoreinfo& w = r.openInfo();
        // Both timers stop; the toggle is left as it was, behind the modal window.
        QCOMPARE(r.timers(), QStringLiteral("%1 0 1 0 %2").arg(autoOn ? "Auto" : "Stop").arg(int(!autoOn)));
        SpotRig::click(&w, "OKButton");
        QCOMPARE(r.timers(), afterClose);
        QCOMPARE(r.main->timer1->interval(), 2000);
        QVERIFY(r.window<FrmAbout>("FrmAbout")->isVisible());   // beneath, still open
    }
};

QTEST_MAIN(TestSpotVersion)
#include "test_spot_version.moc"
