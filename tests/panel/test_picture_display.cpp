// Picture, display and system commands of the main window: packets, ticks
// and captions after each click, the status-read guard, and the round trip
// through the simulated camera and a status read.
#include "app_rig.h"
#include "camera_test_helpers.h"

#include <QLineEdit>
#include <QPushButton>

using namespace peltro;
using namespace peltro::test;

namespace {

QStringList ticked(FrmMain& main, const QStringList& items)
{
    QStringList out;
    for (const QString& i : items) {
        if (main.action(i)->isChecked())
            out << i;
    }
    return out;
}

QString caption(FrmMain& main, const QString& button)
{
    return main.control<QPushButton>(button)->text();
}

const QStringList kPictureEffects{"PEOff", "Pastel", "NegArt", "Sepia", "BlackWhite",
                                  "Solarize", "Mosaic", "Slim", "Stretch"};
const QStringList kDigitalEffects{"DEOff", "Still", "Flash", "Lumi", "Trail"};
const QStringList kSync{"Internal", "LineLock"};

} // namespace

class TestPictureDisplay : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void onOffItems_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("on");
        QTest::addColumn<QString>("off");
        QTest::addColumn<bool>("guarded");
        QTest::newRow("picture flip") << "PictureFlip" << "66 02" << "66 03" << true;
        QTest::newRow("LR reverse") << "LR_Reverse" << "61 02" << "61 03" << true;
        QTest::newRow("freeze") << "Freese" << "62 02" << "62 03" << true;
        QTest::newRow("mute") << "Mute" << "75 02" << "75 03" << false;
        QTest::newRow("data screen") << "DataScreen" << "15 02" << "15 03" << true;
        QTest::newRow("date display") << "DateDisplay" << "71 02" << "71 03" << false;
        QTest::newRow("time display") << "TimeDisplay" << "72 02" << "72 03" << false;
        QTest::newRow("title display") << "TitleOnOff" << "74 02" << "74 03" << true;
        QTest::newRow("key lock, off byte 00") << "KeyLock" << "17 02" << "17 00" << false;
    }

    void onOffItems()
    {
        QFETCH(QString, item);
        QFETCH(QString, on);
        QFETCH(QString, off);
        QFETCH(bool, guarded);
        PanelRig r;
        FrmMain& m = *r.main;
        operate(m, item);
        QVERIFY(m.action(item)->isChecked());
        operate(m, item);
        QVERIFY(!m.action(item)->isChecked());
        QCOMPARE(hexList(r.takeWrites()), commands(on + QLatin1Char('|') + off));

        // While a status read runs a guarded item does nothing at all; an
        // unguarded one changes its tick and its packet is refused.
        r.link().setExchangeRunning(true);
        operate(m, item);
        QVERIFY(r.takeWrites().isEmpty());
        QCOMPARE(m.action(item)->isChecked(), !guarded);
    }

    void choiceGroups_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<bool>("guarded");
        QTest::newRow("picture effect") << kPictureEffects << "Sepia PEOff BlackWhite Stretch"
                                        << "63 03|63 00|63 04|63 08" << true;
        QTest::newRow("digital effect") << kDigitalEffects << "Flash Lumi DEOff Trail Still"
                                        << "64 02|64 03|64 00|64 04|64 01" << true;
        QTest::newRow("sync") << kSync << "LineLock Internal LineLock" << "55 01|55 00|55 01" << false;
    }

    void choiceGroups()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, clicks);
        QFETCH(QString, sent);
        QFETCH(bool, guarded);
        PanelRig r;
        FrmMain& m = *r.main;
        QString last;
        for (const QString& c : clicks.split(QLatin1Char(' '))) {
            operate(m, c);
            QCOMPARE(ticked(m, items), QStringList{c});
            last = c;
        }
        QCOMPARE(hexList(r.takeWrites()), commands(sent));
        // The item in force is sent again when clicked.
        operate(m, last);
        QCOMPARE(r.takeWrites().size(), 1);

        r.link().setExchangeRunning(true);
        operate(m, items.first());
        QVERIFY(r.takeWrites().isEmpty());
        QCOMPARE(ticked(m, items), QStringList{guarded ? last : items.first()});
    }

    void captionButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("sent");       // for three clicks
        QTest::addColumn<QString>("captions");   // after each click
        QTest::newRow("auto ICR from OFF") << "CmdAutoICR" << "OFF" << "51 02|51 03|51 02" << "ON|OFF|ON";
        QTest::newRow("auto ICR, case ignored") << "CmdAutoICR" << "on" << "51 03|51 02|51 03" << "OFF|ON|OFF";
        QTest::newRow("auto ICR, unknown caption") << "CmdAutoICR" << "?" << "" << "?|?|?";
        QTest::newRow("stabilizer") << "Comstabi" << "" << "34 03|34 02|34 03" << "ON|OFF|ON";
        QTest::newRow("V-phase") << "VP0180" << "" << "25 01|25 00|25 01" << "0 degree|180 degree|0 degree";
        QTest::newRow("V-phase, case ignored") << "VP0180" << "0 DEGREE" << "25 00|25 01|25 00"
                                               << "180 degree|0 degree|180 degree";
    }

    void captionButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, start);
        QFETCH(QString, sent);
        QFETCH(QString, captions);
        PanelRig r;
        FrmMain& m = *r.main;
        QCOMPARE(caption(m, button), button == QLatin1String("CmdAutoICR") ? QStringLiteral("OFF") : QString());
        m.control<QPushButton>(button)->setText(start);
        QStringList after;
        for (int i = 0; i < 3; ++i) {
            operate(m, button);
            after << caption(m, button);
        }
        QCOMPARE(hexList(r.takeWrites()), commands(sent));
        QCOMPARE(after.join(QLatin1Char('|')), captions);
    }

    void fixedCommands()
    {
        PanelRig r({QStringLiteral("tamiro-k9b"), QStringLiteral("tamiro-k9b"), QStringLiteral("tamiro-k9b")});
        FrmMain& m = *r.main;
        operate(m, QStringLiteral("CmdICR_0"));
        operate(m, QStringLiteral("CmdICR_1"));
        operate(m, QStringLiteral("CompScan"));
        QCOMPARE(hexList(r.takeWrites()), commands("01 02|01 03|19 02"));
        QCOMPARE(caption(m, QStringLiteral("CmdICR_0")), QStringLiteral("ON"));
        QCOMPARE(caption(m, QStringLiteral("CmdICR_1")), QStringLiteral("OFF"));
        r.session.setAddress(3);
        operate(m, QStringLiteral("CompScan"));
        QCOMPARE(hexList(r.takeWrites()), QStringList{"83 01 04 19 02 FF"});
    }

    // What the camera takes the next read shows; what it refuses the read puts right.
    void roundTripThroughStatusRead()
    {
        AppRig r({QStringLiteral("tamiro-k9b")});
        FrmMain& m = *r.main;
        r.identify();
        readStatus(r);
        for (const char* c : {"LR_Reverse", "Freese", "Sepia", "Flash", "DataScreen", "TitleOnOff", "KeyLock",
                              "Mute", "PictureFlip", "LineLock", "Comstabi", "VP0180", "CmdAutoICR"})
            operate(m, QString::fromLatin1(c));
        AppRig::pump();
        const sim::CameraState& cam = r.chain.camera(1).state;
        QVERIFY(cam.lrReverse && cam.freeze && cam.dataScreen && cam.titleDisplay && cam.keyLock && cam.mute
                && cam.flip && cam.lineLock && cam.stabilizer == false && cam.vPhase180 && cam.autoIcr);
        QCOMPARE(cam.pictureEffect, 3);
        QCOMPARE(cam.digitalEffect, 2);

        const QStringList readBack{"LR_Reverse", "Freese", "DataScreen", "TitleOnOff", "KeyLock", "Sepia", "Flash"};
        for (const QString& i : readBack + kPictureEffects + kDigitalEffects)
            m.action(i)->setChecked(false);
        m.control<QPushButton>(QStringLiteral("CmdAutoICR"))->setText(QStringLiteral("OFF"));
        readStatus(r);
        QCOMPARE(ticked(m, readBack), readBack);
        QCOMPARE(caption(m, QStringLiteral("CmdAutoICR")), QStringLiteral("ON"));

        // A model without the command answers an error; the tick shows the
        // request until the next read.
        AppRig q;
        operate(*q.main, QStringLiteral("Slim"));
        AppRig::pump();
        QVERIFY(q.main->recvText->text().endsWith(QStringLiteral("90 60 02 FF \r\n")));
        QCOMPARE(ticked(*q.main, kPictureEffects), QStringList{"Slim"});
        readStatus(q);
        QCOMPARE(ticked(*q.main, kPictureEffects), QStringList{"PEOff"});
    }
};

QTEST_MAIN(TestPictureDisplay)
#include "test_picture_display.moc"
