#include "app_rig.h"
#include "frm_main.h"
#include "traffic_text.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

// The direct command console of the main window, typed into as an operator would.
class TestConsole : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typedPacketGoesOutOnEnter();
    void onlyHexDigitsGetIn();
    void oddLengthIsNotSent();
    void clearEmptiesBothBoxes();
    void networkChangeShowsOneBoxAtATime();
};

void TestConsole::typedPacketGoesOutOnEnter()
{
    PanelRig r({QStringLiteral("tamiro-j1a")});
    QLineEdit* box = r.main->directText;
    QTest::keyClicks(box, QStringLiteral("8101040702ff"));
    QCOMPARE(box->text(), QStringLiteral("8101040702FF"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(hex(r.takeWrites().join()), QStringLiteral("81 01 04 07 02 FF"));
    QVERIFY(box->text().isEmpty());
    QCOMPARE(r.main->sendText->text(), QStringLiteral("81 01 04 07 02 FF \r\n"));
    PanelRig::pump();
    QCOMPARE(r.main->recvText->text(), QStringLiteral("90 41 FF \r\n90 51 FF \r\n"));
    QVERIFY(r.main->recvText->toPlainText().contains(QStringLiteral("90 51 FF")));

    // without a terminator the bytes still go out as typed
    QTest::keyClicks(box, QStringLiteral("8101"));
    QTest::keyClick(box, Qt::Key_Enter);
    QCOMPARE(hex(r.takeWrites().join()), QStringLiteral("81 01"));
}

void TestConsole::onlyHexDigitsGetIn()
{
    PanelRig r;
    QLineEdit* box = r.main->directText;
    QTest::keyClicks(box, QStringLiteral("8G1 0,1x"));
    QCOMPARE(box->text(), QStringLiteral("8101"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QStringLiteral("810"));
    // pasted text is held to the same characters
    box->clear();
    box->insert(QStringLiteral("zz"));
    QVERIFY(box->text().isEmpty());
}

void TestConsole::oddLengthIsNotSent()
{
    PanelRig r;
    QLineEdit* box = r.main->directText;
    QTest::keyClicks(box, QStringLiteral("810"));
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(r.takeWrites().isEmpty());
    QCOMPARE(box->text(), QStringLiteral("810"));
    QVERIFY(r.main->sendText->text().isEmpty());

    // an empty box sends nothing but still marks an empty line
    box->clear();
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(r.takeWrites().isEmpty());
    QCOMPARE(r.main->sendText->text(), QStringLiteral("\r\n"));
    QCOMPARE(r.port.rThreshold(), 1);
}

void TestConsole::clearEmptiesBothBoxes()
{
    PanelRig r;
    QTest::keyClicks(r.main->directText, QStringLiteral("8101040702FF"));
    QTest::keyClick(r.main->directText, Qt::Key_Return);
    PanelRig::pump();
    QVERIFY(!r.main->recvText->text().isEmpty());
    QTest::mouseClick(r.main->cmdClearTxt, Qt::LeftButton);
    QVERIFY(r.main->sendText->text().isEmpty());
    QVERIFY(r.main->recvText->text().isEmpty());
    QVERIFY(r.main->sendText->toPlainText().isEmpty());
}

// Cameras may repeat the notice; the operator sees one box until answering it.
void TestConsole::networkChangeShowsOneBoxAtATime()
{
    PanelRig r;
    r.messages.keepOpen = true;
    r.link().resumeReceiving();   // as after start-up
    for (int i = 0; i < 30; ++i) {
        r.port.injectNetworkChange(1);
        PanelRig::pump();
    }
    QCOMPARE(r.messages.boxes.size(), 1);
    QCOMPARE(r.messages.boxes[0].title, QStringLiteral("Warning"));
    QCOMPARE(r.messages.boxes[0].text,
             QStringLiteral("Network Change was received.\nPlease implement IF_Clear (broadcast), AddressSet command."));
    QCOMPARE(r.messages.boxes[0].icon, QMessageBox::Warning);
    r.messages.answerAll();
    r.port.injectNetworkChange(1);
    PanelRig::pump();
    QCOMPARE(r.messages.boxes.size(), 2);
}

QTEST_MAIN(TestConsole)
#include "test_console.moc"
