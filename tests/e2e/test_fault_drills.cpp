// Fault drills: the panel, put together as the program does it, on the
// simulator's pseudo-terminal, with a fault on the line or in the chain.
// Each drill looks at what the operator is shown and at what crossed the
// line (the simulator's log of every packet it took and every answer).
#include "e2e_panel.h"

#include "app_rig.h"
#include "link.h"
#include "required_child.h"
#include "startup_windows.h"
#include "traffic_text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

using namespace e2e;
using namespace peltro;

namespace {

// The controls the status read sets, as "name=value", for readable diffs.
QStringList shown(const FrmMain& m)
{
    QStringList out;
    for (const char* n : {"ModelVersion", "NTSCorPAL", "CameraIDText", "ZoomValue", "FocusValue", "RGValue", "BGValue",
                          "ApertureValue", "ShutterValue", "IrisValue", "GainValue", "BrightValue", "ExpCompValue",
                          "DZoomValue"})
        out << QStringLiteral("%1=%2").arg(QLatin1String(n), m.control<QLineEdit>(QString::fromLatin1(n))->text());
    for (const char* n : {"ZoomSlider", "FocusSlider", "FocusNearLimitSlider", "RGainSlider", "BGainSlider",
                          "ApertureSlider", "ShutterSlider", "IrisSlider", "GainSlider", "BrightSlider",
                          "ExpCompSlider", "DZoomSlider"})
        out << QStringLiteral("%1=%2").arg(QLatin1String(n)).arg(m.control<QSlider>(QString::fromLatin1(n))->value());
    for (const char* n : {"AF_Sens", "AutoSlowShutter", "BackLight", "ExpComp"})
        out << QStringLiteral("%1=%2").arg(QLatin1String(n)).arg(m.control<QCheckBox>(QString::fromLatin1(n))->isChecked());
    for (const char* n : {"Power", "FullAuto", "ATWPro", "PEOff", "DEOff", "KeyLock", "TitleOnOff"})
        out << QStringLiteral("%1=%2").arg(QLatin1String(n)).arg(m.action(QString::fromLatin1(n))->isChecked());
    return out;
}

// What the same panel shows after a clean read of the same model, on the
// simulated chain in this process.
QStringList cleanRead(const QString& model)
{
    test::AppRig r({model});
    r.identify();
    r.session.readStatus();
    return shown(*r.main);
}

QStringList repeated(const QString& packet, int times)
{
    QStringList out;
    for (int i = 0; i < times; ++i)
        out << packet;
    return out;
}

// A simulator taking fault changes, and the panel on its terminal.
struct Drill {
    QTemporaryDir dir;
    Sim sim;
    std::unique_ptr<LivePanel> panel;

    bool up(const QStringList& simArgs)
    {
        if (!sim.start(QStringList{QStringLiteral("--control")} + simArgs))
            return false;
        panel = std::make_unique<LivePanel>(QStringList{sim.device}, dir.filePath(QStringLiteral("panel.ini")));
        return panel->start();
    }
    // Where the log stands once the simulator has logged every packet the
    // panel has sent so far (its log reaches this process late).
    int mark()
    {
        if (!waitFor(sim, [&] { return sim.received().size() >= panel->packetsWritten; }))
            return -1;
        return int(sim.seen.size());
    }
};

void enter(QLineEdit* box, const QString& typed)
{
    box->setFocus();
    QTest::keyClicks(box, typed);
    QTest::keyClick(box, Qt::Key_Return);
}


// Every window or box that feeds a packet, by name: the window the menu item
// opens (or the main window), and in it the box and the button that sends.
struct Feed {
    const char* model;
    const char* item;     // menu item that opens the window; none for the main window
    const char* window;
    const char* box;
    const char* button;   // none: Enter in the box
    const char* before;   // "Box=text" set first, or none
};


const Feed kFeeds[] = {
    {"tamiro-k9b", "IDWrite", "FrmCamID", "ID", "OK", nullptr},
    {"tamiro-k9b", "EffectLevel", "FrmDeffect", "DELevel", "DELevelOK", nullptr},
    {"quorin-p3", "AutoPowerOff", "FrmAutoPOff", "OffTimer", "OK", nullptr},
    {"quorin-p3", "AESpotMode", "FrmAES", "AESpotPosX", "AESpotSet", "AESpotPosY=8"},
    {"quorin-p3", nullptr, "FrmMain", "AFacttime", "ACTAFmodeset", nullptr},
    {"quorin-p3", nullptr, "FrmMain", "DirectText", nullptr, nullptr},
};

QWidget* openWindow(test::AppRig& r, const Feed& f)
{
    if (f.item)
        r.main->action(QString::fromLatin1(f.item))->trigger();
    const QString name = QString::fromLatin1(f.window);
    if (r.main->objectName() == name)
        return r.main;
    if (auto* w = r.main->findChild<QWidget*>(name))
        return w;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

// Bytes that went out, cut into packets at each FF: a packet with no FF at
// its end, a wrong header or a stray FF inside shows up as a malformed one.
QStringList packetsOf(const QList<QByteArray>& writes)
{
    QByteArray all;
    for (const QByteArray& w : writes)
        all += w;
    QStringList out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (quint8(all.at(i)) == 0xFF) {
            out << test::hex(all.mid(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < all.size())
        out << test::hex(all.mid(start)) + QStringLiteral(" (unterminated)");
    return out;
}

bool wellFormed(const QString& packet)
{
    const QByteArray b = test::bytes(packet.toLatin1().constData());
    return !packet.endsWith(QLatin1String("(unterminated)")) && b.size() >= 3 && quint8(b.at(0)) >= 0x81
           && quint8(b.at(0)) <= 0x88 && b.indexOf(char(0xFF)) == b.size() - 1;
}

} // namespace

class TestFaultDrills : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Camera 2 of two never answers. Selecting it reads it: seven version
    // inquiries, each waited for one second and no longer, then the warning,
    // auto refresh stopped, and the model box saying whose values are not on
    // show. The panel turns again at once and camera 1 is still there.
    void silentCamera()
    {
        Drill d;
        QVERIFY(d.up({QStringLiteral("--chain"), QStringLiteral("quorin-p3,quorin-p3"), QStringLiteral("--silent"),
                      QStringLiteral("2")}));
        FrmMain& m = d.panel->main;
        QCOMPARE(m.modelVersion->text(), QStringLiteral("QUORIN-P3"));
        QVERIFY(d.panel->action("CameraSel_2")->isVisible());
        QVERIFY(!d.panel->action("CameraSel_3")->isVisible());
        const QStringList camera1 = shown(m);
        m.autoRefreshed->click();   // a silent camera must not hold the panel in reads
        QCOMPARE(m.autoRefreshed->text(), QStringLiteral("Auto"));

        const int from = d.mark();
        QVERIFY(from >= 0);
        QList<double> sentAt;
        QElapsedTimer clock;
        clock.start();
        const auto watch = connect(&d.panel->link(), &Link::wrote, this, [&] { sentAt << clock.nsecsElapsed() / 1e9; });
        d.panel->action("CameraSel_2")->trigger();
        QVERIFY(d.panel->idle());
        const double took = clock.nsecsElapsed() / 1e9;
        disconnect(watch);

        QCOMPARE(sentAt.size(), 7);
        for (int i = 1; i < sentAt.size(); ++i) {
            const double gap = sentAt[i] - sentAt[i - 1];
            QVERIFY2(gap >= 0.95 && gap < 1.6, qPrintable(QStringLiteral("wait %1: %2 s").arg(i).arg(gap)));
        }
        QVERIFY2(took < 9.0, qPrintable(QStringLiteral("the read took %1 s").arg(took)));
        QCOMPARE(d.panel->boxTexts(), QStringList{QStringLiteral("Refresh Action Error !\nRefresh Action is Stopped.")});
        QCOMPARE(d.panel->messages.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(m.modelVersion->text(), QStringLiteral("Camera 2: no answer"));
        QCOMPARE(m.active->text(), QStringLiteral("2"));
        QVERIFY(d.panel->action("CameraSel_2")->isChecked() && !d.panel->action("CameraSel_1")->isChecked());
        QCOMPARE(m.autoRefreshed->text(), QStringLiteral("Stop"));
        QVERIFY(!m.timer1->isActive());
        QVERIFY(m.refreshOnce->isEnabled());
        bool turned = false;
        QTimer::singleShot(0, this, [&] { turned = true; });
        QVERIFY(QTest::qWaitFor([&] { return turned; }, 500));

        QVERIFY(waitFor(d.sim, [&] { return d.sim.received(from).size() >= 7; }));
        QCOMPARE(d.sim.received(from), repeated(QStringLiteral("82 09 00 02 FF"), 7));
        QVERIFY(answers(d.sim, from).isEmpty());

        // Back to camera 1: its own name and values again, without a word.
        const int back = d.mark();
        QVERIFY(back >= 0);
        d.panel->action("CameraSel_1")->trigger();
        QVERIFY(d.panel->idle());
        QCOMPARE(shown(m), camera1);
        QCOMPARE(d.panel->messages.boxes.size(), 1);
        QVERIFY(waitFor(d.sim, [&] { return answers(d.sim, back).size() >= 8; }));
        QCOMPARE(d.sim.received(back).first(), QStringLiteral("81 09 00 02 FF"));
    }

    // Broadcasts that do not come back: at start-up the Com Setting dialog
    // says so, and the operator takes another Com; later the menu's
    // interface clear and address set each say so in a warning, and auto
    // refresh is not left suspended behind the lost broadcast.
    void broadcastsNotReturned()
    {
        QTemporaryDir dir;
        Sim lost;
        Sim good;
        QVERIFY(lost.start({QStringLiteral("--no-broadcast")}));
        QVERIFY(good.start({QStringLiteral("--control")}));
        LivePanel panel({lost.device, good.device}, dir.filePath(QStringLiteral("panel.ini")));
        QString told;
        auto* poll = new QTimer(&panel.main);
        connect(poll, &QTimer::timeout, poll, [&] {
            FrmOpen* dlg = panel.app.startup.comSetting();
            if (!dlg || !dlg->isVisible())
                return;
            poll->stop();
            told = dlg->lblDBG0->text();
            dlg->comList1->setCurrentIndex(1);   // Com 2
            QTest::mouseClick(dlg->command1, Qt::LeftButton);
        });
        poll->start(10);
        QVERIFY(panel.start());
        QCOMPARE(told, QStringLiteral("IF_Clear Error\r\nPort = 1\r\nNo answer to the interface clear within one "
                                      "second: check the Com, the speed, the cable and the cameras' power."));
        QVERIFY(waitFor(lost, [&] { return !lost.received().isEmpty(); }));
        QCOMPARE(lost.received(), QStringList{QStringLiteral("88 01 00 01 FF")});
        QVERIFY(answers(lost).isEmpty());
        QVERIFY(waitFor(good, [&] { return good.received().size() >= startupExchange().size(); }));
        QCOMPARE(good.received(), startupExchange());
        QCOMPARE(panel.main.modelVersion->text(), QStringLiteral("QUORIN-P3"));
        QVERIFY(panel.messages.boxes.isEmpty());

        FrmMain& m = panel.main;
        QVERIFY(control(good, QStringLiteral("broadcasts lost")));
        m.autoRefreshed->click();
        good.take();
        int from = int(good.seen.size());
        panel.action("IFClearB")->trigger();
        QVERIFY(m.sendText->text().endsWith(QStringLiteral("88 01 00 01 FF \r\n")));
        QVERIFY(!m.autoRefreshed->isEnabled());   // suspended for the command
        QVERIFY(QTest::qWaitFor([&] { return !panel.messages.boxes.isEmpty(); }, 3000));
        QCOMPARE(panel.boxTexts(), QStringList{QStringLiteral("I/F Clear(broadcast) failed: the broadcast did not come "
                                                              "back around the camera chain within one second.\nCheck "
                                                              "the cables and the cameras' power.")});
        QCOMPARE(panel.messages.boxes[0].title, QStringLiteral("Warning"));
        QCOMPARE(m.autoRefreshed->text(), QStringLiteral("Auto"));
        QVERIFY(m.autoRefreshed->isEnabled() && m.timer1->isActive());
        m.autoRefreshed->click();   // off again: no status read between the broadcasts
        good.take();
        QCOMPARE(good.received(from).filter(QRegularExpression(QStringLiteral("^88 "))),
                 QStringList{QStringLiteral("88 01 00 01 FF")});

        from = int(good.seen.size());
        const int sentLines = m.sendText->text().count(QStringLiteral("\r\n"));
        panel.action("AddressSet")->trigger();
        QVERIFY(QTest::qWaitFor([&] { return panel.messages.boxes.size() > 1; }, 3000));
        QCOMPARE(panel.boxTexts().value(1), QStringLiteral("Address Set failed: the camera chain gave no valid answer "
                                                           "within one second.\nThe cameras' addresses and the Select "
                                                           "menu are unchanged."));
        QVERIFY(panel.action("CameraSel_1")->isVisible() && panel.action("CameraSel_1")->isChecked());
        QCOMPARE(m.sendText->text().count(QStringLiteral("\r\n")), sentLines + 1);
        QVERIFY(waitFor(good, [&] { return !good.received(from).isEmpty(); }));
        QCOMPARE(good.received(from), QStringList{QStringLiteral("88 30 01 FF")});
        QVERIFY(answers(good, from).isEmpty());

        // Once the chain passes them again, nobody is told anything.
        QVERIFY(control(good, QStringLiteral("broadcasts returned")));
        panel.action("IFClearB")->trigger();
        QVERIFY(QTest::qWaitFor([&] { return m.recvText->text().endsWith(QStringLiteral("88 01 00 01 FF \r\n")); },
                                3000));
        QTest::qWait(CameraSession::kBroadcastWaitMs + 200);
        panel.action("AddressSet")->trigger();
        QVERIFY(panel.idle());
        QCOMPARE(panel.messages.boxes.size(), 2);
        QVERIFY(m.recvText->text().endsWith(QStringLiteral("88 30 02 FF \r\n")));
    }

    // Junk before every answer: start-up gets through, the values shown are
    // a clean read's, and the panel sends exactly what it sends on a clean line.
    void junkBeforeEveryAnswer()
    {
        Drill d;
        QVERIFY(d.up({QStringLiteral("--junk")}));
        QVERIFY(waitFor(d.sim, [&] { return d.sim.received().size() >= startupExchange().size(); }));
        QCOMPARE(d.sim.received(), startupExchange());
        const QStringList back = answers(d.sim);
        QCOMPARE(back.size(), startupExchange().size());
        for (const QString& a : back)
            QVERIFY2(a.startsWith(QLatin1String("12 34 56 ")), qPrintable(a));
        QCOMPARE(shown(d.panel->main), cleanRead(QStringLiteral("quorin-p3")));
        QVERIFY(d.panel->messages.boxes.isEmpty());

        // An operator command's replies behind junk still finish it.
        d.panel->main.autoRefreshed->click();
        enter(d.panel->main.directText, QStringLiteral("8101040702FF"));
        QVERIFY(QTest::qWaitFor([&] { return d.panel->main.recvText->text().endsWith(QStringLiteral("90 51 FF \r\n")); },
                                3000));
        QVERIFY(d.panel->main.autoRefreshed->isEnabled() && d.panel->main.timer1->isActive());
    }

    // Answers later than the one second the panel waits: the inquiry that
    // ran out is asked again and takes its own late answer, the next one
    // waits until no late answer can come, so no answer is ever taken for
    // another inquiry's and the values shown stay right. Nothing failed for
    // good, so the operator is told nothing.
    void lateAnswers_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("1.2 s late") << "slow 1.2 4";
        QTest::newRow("1.5 s late") << "slow 1.5 4";
    }

    void lateAnswers()
    {
        QFETCH(QString, fault);
        Drill d;
        QVERIFY(d.up({}));
        FrmMain& m = d.panel->main;
        const QStringList before = shown(m);
        QCOMPARE(before, cleanRead(QStringLiteral("quorin-p3")));
        QVERIFY(control(d.sim, fault));

        const int from = d.mark();
        QVERIFY(from >= 0);
        QElapsedTimer clock;
        clock.start();
        m.refreshOnce->click();
        QVERIFY(d.panel->idle());
        const double took = clock.nsecsElapsed() / 1e9;
        QCOMPARE(shown(m), before);
        QVERIFY(d.panel->messages.boxes.isEmpty());
        const QStringList expected{
            QStringLiteral("81 09 7E 7E 00 FF"), QStringLiteral("81 09 7E 7E 00 FF"), QStringLiteral("81 09 7E 7E 01 FF"),
            QStringLiteral("81 09 7E 7E 01 FF"), QStringLiteral("81 09 7E 7E 02 FF"), QStringLiteral("81 09 7E 7E 03 FF"),
            QStringLiteral("81 09 06 12 FF"),    QStringLiteral("81 09 06 10 FF"),    QStringLiteral("81 09 06 11 FF"),
        };
        QVERIFY(waitFor(d.sim, [&] { return d.sim.received(from).size() >= expected.size(); }));
        QCOMPARE(d.sim.received(from), expected);
        QCOMPARE(answers(d.sim, from).size(), expected.size());   // every one answered, four of them late
        // Each inquiry after one that ran out waited for its late answer.
        QVERIFY2(took > 5.5 && took < 8.0, qPrintable(QStringLiteral("the read took %1 s").arg(took)));

        // The next read, on time again, shows the same.
        m.refreshOnce->click();
        QCOMPARE(shown(m), before);
        QVERIFY(d.panel->messages.boxes.isEmpty());
    }

    // A camera that repeats its network-change notice: one warning stands
    // while the operator has not answered it, and the next notice after the
    // answer is told again. The panel sends nothing on a notice.
    void networkChangeRepeated()
    {
        Drill d;
        QVERIFY(d.up({}));
        FrmMain& m = d.panel->main;
        d.panel->messages.keepOpen = true;
        const int from = d.mark();
        QVERIFY(from >= 0);
        auto notices = [&] { return m.recvText->text().count(QStringLiteral("90 38 FF \r\n")); };
        QVERIFY(control(d.sim, QStringLiteral("netchange 30")));
        QVERIFY(QTest::qWaitFor([&] { return notices() == 30; }, 5000));
        const QString told = QStringLiteral("Network Change was received.\nPlease implement IF_Clear (broadcast), "
                                            "AddressSet command.");
        QCOMPARE(d.panel->boxTexts(), QStringList{told});
        QCOMPARE(d.panel->messages.openCount(), 1);
        d.panel->messages.answerAll();
        QCOMPARE(d.panel->messages.openCount(), 0);
        QVERIFY(control(d.sim, QStringLiteral("netchange 1")));
        QVERIFY(QTest::qWaitFor([&] { return notices() == 31; }, 5000));
        QCOMPARE(d.panel->boxTexts(), (QStringList{told, told}));
        d.sim.take();
        QVERIFY(d.sim.received(from).isEmpty());
    }

    // The adapter pulled out: what the operator asks for meanwhile is
    // refused in words on the status line and nothing is written; once it is
    // back (and the panel has brought the chain up again) the same command
    // goes out and is answered.
    void commandWhilePortLost()
    {
        QTemporaryDir dir;
        const QString cam = dir.filePath(QStringLiteral("cam"));
        const QStringList simArgs{QStringLiteral("--link"), cam};
        auto sim = std::make_unique<Sim>();
        QVERIFY(sim->start(simArgs));
        LivePanel panel({cam}, dir.filePath(QStringLiteral("panel.ini")));
        QVERIFY(panel.start());
        FrmMain& m = panel.main;
        auto* line = panel.control<QLabel>("LinkState");

        QVERIFY(sim->stop());
        QVERIFY(QTest::qWaitFor([&] { return line->text().startsWith(QLatin1String("Link lost: ")); }, 5000));
        int written = 0;
        const auto count = connect(&panel.link(), &Link::wrote, this, [&] { ++written; });
        const QString history = m.sendText->text();
        enter(m.directText, QStringLiteral("8101040702FF"));
        QCOMPARE(line->text(), QStringLiteral("Not sent: link lost: %1: device gone (unplugged?). The panel reopens "
                                              "the port when it is back.")
                                   .arg(cam));
        QCOMPARE(written, 0);
        QCOMPARE(m.sendText->text(), history);
        QVERIFY(panel.messages.boxes.isEmpty());
        disconnect(count);

        sim = std::make_unique<Sim>();
        QVERIFY(sim->start(simArgs));
        QVERIFY(QTest::qWaitFor([&] { return line->text().startsWith(QLatin1String("Link back: ")); }, 15000));
        QCOMPARE(line->text(),
                 QStringLiteral("Link back: %1 reopened, interfaces cleared, addresses set, status read.").arg(cam));
        QVERIFY(waitFor(*sim, [&] { return sim->received().size() >= returnExchange().size(); }));
        QCOMPARE(sim->received(), returnExchange());   // nothing held back from the loss

        const int from = int(sim->seen.size());
        enter(m.directText, QStringLiteral("8101040702FF"));
        QVERIFY(waitFor(*sim, [&] { return answers(*sim, from).size() >= 2; }));
        QCOMPARE(sim->received(from), QStringList{QStringLiteral("81 01 04 07 02 FF")});
        QCOMPARE(answers(*sim, from), (QStringList{QStringLiteral("90 41 FF"), QStringLiteral("90 51 FF")}));
        QVERIFY(QTest::qWaitFor([&] { return m.recvText->text().endsWith(QStringLiteral("90 41 FF \r\n90 51 FF \r\n")); },
                                3000));
        QVERIFY(panel.messages.boxes.isEmpty());
    }

    // A settings file full of garbage: the panel starts on its defaults, on
    // the screen, and the line carries start-up's own packets only.
    void garbageSettings_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("not numbers") << QByteArray("[Settings]\nMainLeft=left\nMainTop=\nMainWidth=1,5\nMainHeight=0x20\n"
                                        "CommPort=COM1\\x01\nBPS=fast\nPTWindow=maybe\nPTWSize=\nPTWDocking=@Invalid()\n"
                                        "junk line without a key\n\x01\x02\x7f=\xff\n");
        QTest::newRow("out of range") << QByteArray("[Settings]\nMainLeft=1e300\nMainTop=-9e99\nMainWidth=-40\nMainHeight=nan\n"
                                         "CommPort=99999999999999999999\nBPS=115200\nPTWindow=2\nPTWSize=-1\n"
                                         "PTWDocking=True\n");
        QTest::newRow("off every screen") << QByteArray("[Settings]\nMainLeft=9999999\nMainTop=-9999999\nMainWidth=9999999\n"
                                             "MainHeight=9999999\nCommPort=-3\nBPS=38400\n");
    }

    void garbageSettings()
    {
        QFETCH(QByteArray, contents);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("panel.ini"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contents);
        }
        Sim sim;
        QVERIFY(sim.start({}));
        LivePanel panel({sim.device}, file);
        QVERIFY(panel.start());
        FrmMain& m = panel.main;
        QVERIFY(m.isVisible());
        const QRect screen = QGuiApplication::primaryScreen()->availableVirtualGeometry();
        QVERIFY2(screen.intersects(m.geometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(m.x()).arg(m.y()).arg(m.width()).arg(m.height())));
        QVERIFY(m.width() <= screen.width() && m.height() <= screen.height());
        QCOMPARE(m.baudRateText->text(), QStringLiteral("9600"));
        QCOMPARE(panel.port.commPort(), 1);
        QCOMPARE(panel.port.baudRate(), 9600);
        QVERIFY(panel.messages.boxes.isEmpty());
        QVERIFY(waitFor(sim, [&] { return sim.received().size() >= startupExchange().size(); }));
        QCOMPARE(sim.received(), startupExchange());
        QCOMPARE(shown(m), cleanRead(QStringLiteral("quorin-p3")));
    }

    // Every box that feeds a packet, fed what the window must first bring
    // into range or leave out (too much, a sign, letters, nothing): what
    // goes out is whole packets only, and nobody is told anything. The
    // refusals of each window are its own tests'. On the simulated chain in
    // this process, where every byte written is seen.
    void textBoxesFedGarbage_data()
    {
        QTest::addColumn<int>("feed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("sent");
        struct Row {
            int feed;
            const char* text;
            QStringList sent;
        };
        const QList<Row> rows{
            // Above the range: the highest ID, and the box says so.
            {0, "65536", {QStringLiteral("81 01 04 22 0F 0F 0F 0F FF")}},
            {0, "99999999999999999999", {QStringLiteral("81 01 04 22 0F 0F 0F 0F FF")}},
            {1, "32", {QStringLiteral("81 01 04 65 20 FF")}},
            {2, "65536", {QStringLiteral("81 01 04 40 0F 0F 0F 0F FF")}},
            // An empty position is the first one.
            {3, "", {QStringLiteral("81 01 04 29 00 00 00 08 FF")}},
            // The box holds one character: of "10" the 1.
            {3, "10", {QStringLiteral("81 01 04 29 00 01 00 08 FF")}},
            // The AF times take the hexadecimal digits they find, 0 for any other.
            {4, "", {QStringLiteral("81 01 04 27 00 00 00 05 FF")}},
            // The box's mask keeps its hexadecimal digits only.
            {4, "-1", {QStringLiteral("81 01 04 27 01 01 00 05 FF")}},
            {4, "FFFF", {QStringLiteral("81 01 04 27 0F 0F 00 05 FF")}},
            {4, "??", {QStringLiteral("81 01 04 27 00 00 00 05 FF")}},
            // The console takes hexadecimal digits only, in whole pairs.
            {5, "", {}},
            {5, "810", {}},
            {5, "-8g1 01,04.07 02ff", {QStringLiteral("81 01 04 07 02 FF")}},
        };
        for (const Row& row : rows)
            QTest::addRow("%s %s \"%s\"", kFeeds[row.feed].window, kFeeds[row.feed].box, row.text)
                << row.feed << QString::fromLatin1(row.text) << row.sent;
    }

    void textBoxesFedGarbage()
    {
        QFETCH(int, feed);
        QFETCH(QString, text);
        QFETCH(QStringList, sent);
        const Feed& f = kFeeds[feed];
        test::AppRig r({QString::fromLatin1(f.model)});
        r.identify();
        r.main->show();
        QWidget* w = openWindow(r, f);
        QVERIFY(w);
        if (f.before) {
            const QStringList set = QString::fromLatin1(f.before).split(QLatin1Char('='));
            requireChild<QLineEdit>(w, set[0])->setText(set[1]);
        }
        r.takeWrites();   // what the window asked on opening
        auto* box = requireChild<QLineEdit>(w, QString::fromLatin1(f.box));
        if (f.button) {
            box->setText(text);
            QTest::mouseClick(requireChild<QAbstractButton>(w, QString::fromLatin1(f.button)), Qt::LeftButton);
        } else {
            box->clear();
            enter(box, text);
        }
        test::ChainRig::pump();
        const QStringList packets = packetsOf(r.takeWrites());
        for (const QString& p : packets)
            QVERIFY2(wellFormed(p), qPrintable(p));
        QCOMPARE(packets, sent);
        QStringList boxes;
        for (const auto& b : r.messages.boxes)
            boxes << b.title + QLatin1Char('|') + b.text;
        QCOMPARE(boxes, QStringList());
    }
};

QTEST_MAIN(TestFaultDrills)
#include "test_fault_drills.moc"
