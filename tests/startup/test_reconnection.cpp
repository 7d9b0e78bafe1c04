// A port that fails while the panel runs, in virtual time: what the operator
// sees and what goes on the line while it is gone and when it comes back.
#include "app_rig.h"
#include "frm_main.h"
#include "required_child.h"
#include "tick_action.h"
#include "traffic_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

const QString kLost = QStringLiteral(
    "Link lost: simulated chain: device gone (unplugged?). Nothing is sent until the port is back; the panel "
    "reopens it by itself.");
const QString kRefused = QStringLiteral(
    "Not sent: link lost: simulated chain: device gone (unplugged?). The panel reopens the port when it is back.");
const QString kBack =
    QStringLiteral("Link back: simulated chain reopened, interfaces cleared, addresses set, status read.");

struct Rig : AppRig {
    explicit Rig(const QStringList& names = {QStringLiteral("quorin-p3")}) : AppRig(names)
    {
        identify();
        main->show();
        QObject::connect(&session, &CameraSession::linkChanged, [this](bool up) { down = !up; });
    }
    QString line() const { return requireChild<QLabel>(main, QStringLiteral("LinkState"))->text(); }
    bool lineShown() const { return !main->statusBar()->isHidden(); }
    // Bytes written since the last look, as one text (the direct command
    // writes byte by byte).
    QString sentText()
    {
        const QString text = hex(port.written);
        takeWrites();
        return text;
    }
    // The session counts the link as down from its loss until it has brought
    // the chain up again.
    bool down = false;
    void direct(const QString& text)
    {
        QTest::keyClicks(main->directText, text);
        QTest::keyClick(main->directText, Qt::Key_Return);
    }
};

} // namespace

class TestReconnection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nothingToSayWhileWell()
    {
        Rig r;
        QVERIFY(!r.lineShown());
        r.direct(QStringLiteral("8101040702FF"));
        QCOMPARE(r.sentText(), QStringLiteral("81 01 04 07 02 FF"));
        QVERIFY(!r.lineShown());
    }

    // The loss is told at once; auto refresh waits without the operator's
    // choice being changed, and no refresh error is raised for it.
    void lossIsToldAtOnce()
    {
        Rig r;
        r.refresh().toggleAuto();
        QVERIFY(r.main->timer1->isActive());
        const int height = r.main->height();
        r.port.pull();
        r.pump();
        QVERIFY(r.lineShown());
        QCOMPARE(r.line(), kLost);
        // The window grows by the line: the panel's controls keep their room,
        // and a second word on the line does not grow it again.
        const int line = r.main->statusBar()->maximumHeight();
        QVERIFY(line > 0 && line < 200);
        QCOMPARE(r.main->height(), height + line);
        r.direct(QStringLiteral("8101040702FF"));
        QCOMPARE(r.main->height(), height + line);
        QVERIFY(r.down);
        QVERIFY(!r.main->timer1->isActive());
        QCOMPARE(r.main->autoRefreshed->text(), QStringLiteral("Auto"));
        QVERIFY(r.messages.boxes.isEmpty());
        // A tick that comes all the same reads nothing and says nothing.
        const double before = r.clock.now();
        QVERIFY(!readStatus(r));
        QVERIFY(r.sent().isEmpty());
        QCOMPARE(r.clock.now(), before);
        QVERIFY(r.messages.boxes.isEmpty());
    }

    // Every way the operator asks for something is refused in words, at
    // once, with nothing on the line and nothing shown that did not happen.
    void operatorRefusedInWords_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("direct command") << "direct";
        QTest::newRow("refresh once") << "RefreshOnce";
        QTest::newRow("power") << "Power";
        QTest::newRow("interface clear") << "IFClearB";
        QTest::newRow("address set") << "AddressSet";
        QTest::newRow("one push white balance") << "OnePushWB";
    }

    void operatorRefusedInWords()
    {
        QFETCH(QString, action);
        Rig r;
        const bool power = r.main->action(QStringLiteral("Power"))->isChecked();
        r.port.pull();
        r.pump();
        r.sent();
        const double before = r.clock.now();
        if (action == QLatin1String("direct"))
            r.direct(QStringLiteral("8101040702FF"));
        else if (action == QLatin1String("RefreshOnce"))
            r.main->refreshOnce->click();
        else
            r.main->action(action)->trigger();
        r.pump();
        QCOMPARE(r.line(), kRefused);
        QVERIFY(r.sent().isEmpty());
        QCOMPARE(r.clock.now(), before);
        QCOMPARE(r.main->action(QStringLiteral("Power"))->isChecked(), power);
        QVERIFY(r.messages.boxes.isEmpty());
        QVERIFY(r.main->sendText->text().isEmpty());
    }

    // Pulled out in the middle of a status read: the read ends there, without
    // waiting out its seconds, and blames no camera.
    void pulledDuringStatusRead_data()
    {
        QTest::addColumn<int>("atWrite");
        QTest::newRow("identifying") << 1;
        QTest::newRow("lens block") << 2;
        QTest::newRow("last block") << 5;
        QTest::newRow("pan-tilt status") << 6;
    }

    void pulledDuringStatusRead()
    {
        QFETCH(int, atWrite);
        Rig r;
        // Powered on: the camera is identified afresh and its head read too.
        QVERIFY(r.session.setPowerOf(true));
        r.pump();
        r.sent();
        r.port.pullAtWrite = atWrite;
        const double before = r.clock.now();
        QVERIFY(readStatus(r));
        QVERIFY(r.port.isLost());
        QCOMPARE(r.port.writes.size(), atWrite - 1);
        QVERIFY2(r.clock.now() - before < 0.01, qPrintable(QString::number(r.clock.now() - before)));
        QVERIFY(r.link().RefreshNotGoCheck());
        QVERIFY(!r.main->modelVersion->text().endsWith(QStringLiteral("no answer")));
        r.pump();
        QVERIFY(r.messages.boxes.isEmpty());
        QCOMPARE(r.line(), kLost);
    }

    // Back under the same name: reopened by itself, interfaces cleared and
    // addresses set as at start-up, the status read again; then the panel
    // works as before.
    void backAsAtStartup_data()
    {
        QTest::addColumn<bool>("autoRefresh");
        QTest::newRow("auto refresh on") << true;
        QTest::newRow("auto refresh off") << false;
    }

    void backAsAtStartup()
    {
        QFETCH(bool, autoRefresh);
        Rig r({QStringLiteral("quorin-p2"), QStringLiteral("tamiro-j1a")});
        if (autoRefresh)
            r.refresh().toggleAuto();
        r.port.pull();
        r.pump();
        r.sent();
        r.main->cmdClearTxt->click();
        r.port.putBack();
        QTRY_COMPARE(r.line(), kBack);
        const QStringList seen = r.sent();
        const QStringList expected{
            QStringLiteral("88 01 00 01 FF"),    QStringLiteral("88 30 01 FF"),
            QStringLiteral("81 09 00 02 FF"),    QStringLiteral("81 09 7E 7E 00 FF"),
            QStringLiteral("81 09 7E 7E 01 FF"), QStringLiteral("81 09 7E 7E 02 FF"),
            QStringLiteral("81 09 7E 7E 03 FF"),
        };
        QCOMPARE(seen.mid(0, expected.size()), expected);
        // The operator sees the clear and the address set in the traffic boxes.
        QCOMPARE(r.main->sendText->text(), QStringLiteral("88 01 00 01 FF \r\n88 30 01 FF \r\n"));
        QVERIFY2(r.main->recvText->text().startsWith(QStringLiteral("88 01 00 01 FF \r\n88 30 03 FF \r\n")),
                 qPrintable(r.main->recvText->text()));
        QVERIFY(!r.down);
        QVERIFY(r.lineShown());
        QVERIFY(r.messages.boxes.isEmpty());
        QVERIFY(r.main->action(QStringLiteral("CameraSel_2"))->isVisible());
        QVERIFY(!r.main->action(QStringLiteral("CameraSel_3"))->isVisible());
        QCOMPARE(r.main->timer1->isActive(), autoRefresh);
        QVERIFY(r.main->autoRefreshed->isEnabled());

        r.direct(QStringLiteral("8101040702FF"));
        QCOMPARE(r.sentText(), QStringLiteral("81 01 04 07 02 FF"));
        r.pump();
        QVERIFY(r.main->recvText->text().endsWith(QStringLiteral("90 41 FF \r\n90 51 FF \r\n")));
    }

    // The device is back but the cameras do not answer (powered off): said
    // so, and the panel is left to the operator.
    void backWithoutCameras()
    {
        Rig r;
        r.session.interfaceClearWaitMs = 0;
        r.refresh().toggleAuto();
        r.port.pull();
        r.pump();
        r.sent();
        r.chain.faults.broadcastsLost = true;
        r.port.putBack();
        QTRY_VERIFY(r.line().contains(QStringLiteral("no camera answers")));
        QCOMPARE(r.line(), QStringLiteral("Link reopened: simulated chain, but no camera answers the interface "
                                          "clear. Check the cameras, then use Camera > I/F Clear(broadcast) and "
                                          "Address Set."));
        QCOMPARE(r.sent(), QStringList{QStringLiteral("88 01 00 01 FF")});
        QVERIFY(!r.down);
        QVERIFY(!r.port.isLost());
    }

    // Out again while it is being brought back: told again, and brought
    // back again when it returns.
    void lostAgainWhileComingBack()
    {
        Rig r;
        r.port.pull();
        r.pump();
        r.sent();
        r.port.pullAtWrite = 2;  // at the address set
        r.port.putBack();
        QTRY_VERIFY(!r.port.writes.isEmpty() && r.port.isLost());
        r.pump();
        QCOMPARE(r.line(), kLost);
        QCOMPARE(r.sent(), QStringList{QStringLiteral("88 01 00 01 FF")});
        QVERIFY(r.messages.boxes.isEmpty());
        r.port.putBack();
        QTRY_COMPARE(r.line(), kBack);
        QCOMPARE(r.sent().mid(0, 2), (QStringList{QStringLiteral("88 01 00 01 FF"), QStringLiteral("88 30 01 FF")}));
    }
};

QTEST_MAIN(TestReconnection)
#include "test_reconnection.moc"
