// The Remote Control dialog: Tools opens it, it shows the access as it is,
// Apply and OK hand the choice to the remote control (which reports it for
// saving), the state and the dropped count are shown in words, a sender
// that is not an address is refused with a box, and Escape leaves
// everything as it was.
#include "frm_remote.h"
#include "panel_settings.h"
#include "remote_control.h"
#include "app_rig.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>
#include <lo/lo.h>

using namespace peltro;
using namespace peltro::test;

namespace {

// The panel's own remote control, its dialog opened from the Tools menu.
struct DialogRig {

    FrmRemote& open()
    {
        main.main->action(QStringLiteral("RemoteControl"))->trigger();
        auto* w = main.main->findChild<FrmRemote*>(QStringLiteral("FrmRemote"));
        if (!w)
            qFatal("the Remote Control dialog did not open");
        return *w;
    }
    // A UDP port nobody uses at the moment.
    static quint16 freePort()
    {
        QUdpSocket s;
        s.bind(QHostAddress::LocalHost, 0);
        return s.localPort();
    }

    PanelRig main;
    RemoteControl& remote = main.app->remote;
    RecordingMessageService& messages = main.messages;
};

} // namespace

class TestFrmRemote : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void toolsMenuOpensTheDialog()
    {
        DialogRig r;
        QAction* item = r.main.main->action(QStringLiteral("RemoteControl"));
        QCOMPARE(item->text(), QStringLiteral("Remote Control..."));
        QVERIFY(r.main.main->menu(QStringLiteral("M_Tools"))->actions().contains(item));
        FrmRemote& w = r.open();
        QCOMPARE(w.windowTitle(), QStringLiteral("Remote Control"));
        QVERIFY(w.isVisible());
        QVERIFY(w.isWindow());
        for (const char* name : {"RemoteOn", "RemotePort", "RemoteLocal", "RemoteNetwork", "RemoteAllowed", "RemoteState",
                                 "RemoteDropped", "RemoteOK", "RemoteApply", "RemoteCancel"})
            QVERIFY2(w.findChild<QWidget*>(QLatin1String(name)), name);
        // Off by default: the fields wait for the tick.
        QVERIFY(!w.enabled->isChecked());
        QCOMPARE(w.port->value(), 9000);
        QVERIFY(w.local->isChecked());
        QCOMPARE(w.local->text(), QStringLiteral("This &computer only"));
        QCOMPARE(w.network->text(), QStringLiteral("The &network"));
        QVERIFY(!w.port->isEnabled() && !w.network->isEnabled() && !w.allowed->isEnabled());
        QCOMPARE(w.state->text(), QStringLiteral("Remote control is off."));
        QCOMPARE(w.dropped->text(), QStringLiteral("Messages dropped from senders not allowed: 0"));
        // Opening it again brings up the same one.
        QCOMPARE(&r.open(), &w);
    }

    void applyAndOkHandItOverForSaving()
    {
        DialogRig r;
        PanelSettings& settings = r.main.settings;   // the panel saves it with its settings
        const quint16 port = DialogRig::freePort();

        FrmRemote& w = r.open();
        w.enabled->click();
        QVERIFY(w.port->isEnabled());
        w.port->setValue(port);
        w.network->click();
        w.allowed->setText(QStringLiteral("192.168.1.20,  127.0.0.0/8"));
        w.apply->click();
        QVERIFY(r.remote.isListening());
        QCOMPARE(w.state->text(), QStringLiteral("Listening on 0.0.0.0, UDP port %1 (the network).").arg(port));
        QVERIFY(w.isVisible());
        RemoteAccess expected;
        expected.on = true;
        expected.port = port;
        expected.bind = QStringLiteral("0.0.0.0");
        expected.allowed = {QStringLiteral("192.168.1.20"), QStringLiteral("127.0.0.0/8")};
        QCOMPARE(r.remote.access(), expected);
        QCOMPARE(readRemoteAccess(settings), expected);

        // OK applies and closes; opened again it shows what was applied.
        w.local->click();
        w.ok->click();
        QTRY_VERIFY(!r.main.main->findChild<FrmRemote*>(QStringLiteral("FrmRemote")));
        expected.bind = QStringLiteral("127.0.0.1");
        QCOMPARE(r.remote.access(), expected);
        QCOMPARE(readRemoteAccess(settings), expected);
        FrmRemote& again = r.open();
        QVERIFY(again.enabled->isChecked());
        QCOMPARE(again.port->value(), int(port));
        QVERIFY(again.local->isChecked());
        QCOMPARE(again.allowed->text(), QStringLiteral("192.168.1.20, 127.0.0.0/8"));
        QCOMPARE(again.state->text(), QStringLiteral("Listening on 127.0.0.1, UDP port %1 (this computer only).").arg(port));
    }

    void stateAndDroppedCountInWords()
    {
        DialogRig r;
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::LocalHost, 0));
        FrmRemote& w = r.open();
        w.enabled->click();
        w.port->setValue(other.localPort());
        w.apply->click();
        QCOMPARE(w.state->text(),
                 QStringLiteral("Remote control is off: UDP port %1 is in use by another program.").arg(other.localPort()));
        QVERIFY(w.isVisible());

        other.close();
        w.allowed->setText(QStringLiteral("10.9.9.9"));
        w.apply->click();
        QVERIFY(r.remote.isListening());
        lo_address panel = lo_address_new("127.0.0.1", QByteArray::number(r.remote.port()).constData());
        lo_send(panel, "/peltro/cam/1/stop", "");
        lo_send(panel, "/peltro/cam/1/stop", "");
        lo_address_free(panel);
        QTRY_COMPARE(w.dropped->text(), QStringLiteral("Messages dropped from senders not allowed: 2"));
        QCOMPARE(r.main.sent(), QStringList{});
    }

    void badSenderRefusedWithABox()
    {
        DialogRig r;
        QSignalSpy changed(&r.remote, &RemoteControl::accessChanged);
        FrmRemote& w = r.open();
        w.enabled->click();
        w.allowed->setText(QStringLiteral("192.168.1.20 192.168.1.300"));
        w.ok->click();
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.messages.boxes[0].title, QStringLiteral("Warning"));
        QCOMPARE(r.messages.boxes[0].text, QStringLiteral("\"192.168.1.300\" is not an address or a subnet of senders "
                                                           "(for example 192.168.1.20 or 192.168.1.0/24)."));
        QVERIFY(w.isVisible());
        QCOMPARE(changed.size(), 0);
        QVERIFY(!r.remote.isListening());
    }

    void escapeLeavesItAsItWas()
    {
        DialogRig r;
        QSignalSpy changed(&r.remote, &RemoteControl::accessChanged);
        FrmRemote& w = r.open();
        w.enabled->click();
        w.port->setValue(9123);
        QTest::keyClick(&w, Qt::Key_Escape);
        QTRY_VERIFY(!r.main.main->findChild<FrmRemote*>(QStringLiteral("FrmRemote")));
        QCOMPARE(changed.size(), 0);
        QCOMPARE(r.remote.access(), RemoteAccess{});
        QCOMPARE(r.remote.stateText(), QStringLiteral("Remote control is off."));
    }
};

QTEST_MAIN(TestFrmRemote)
#include "test_frm_remote.moc"
