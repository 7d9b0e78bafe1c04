// Presets of the pan/tilt cameras and memories of the block cameras: the
// packets, one preset operation at a time to the camera's end of it, the
// refresh arrangements, and the settings a recall brings back.
#include "app_rig.h"
#include "camera_test_helpers.h"
#include "option_button.h"

#include <QLineEdit>
#include <QPushButton>

using namespace peltro;
using namespace peltro::test;

namespace {

OptionButton* option(FrmMain& main, const QString& name)
{
    return main.control<OptionButton>(name);
}

void click(FrmMain& main, const QString& name)
{
    QTest::mouseClick(main.control<QAbstractButton>(name), Qt::LeftButton);
}

// The selected buttons among the three preset or memory arrays.
QStringList selected(FrmMain& main, const QStringList& arrays)
{
    QStringList out;
    for (const QString& a : arrays)
        for (int i = 0; i < 6; ++i)
            if (option(main, QStringLiteral("%1_%2").arg(a).arg(i))->isChecked())
                out << QStringLiteral("%1_%2").arg(a).arg(i);
    return out;
}

const QStringList kPresets{"PresetSet", "PresetRecall", "PresetReset"};
const QStringList kMemories{"SetOption", "RecallOption", "ResetOption"};

// A pan/tilt camera as start-up leaves it.
struct PresetRig : AppRig {
    PresetRig() : AppRig({QStringLiteral("quorin-p3")})
    {
        identify();
        readStatus(*this);
        takeWrites();
    }
    // A preset operation runs until the camera ends it.
    bool presetBusy() const
    {
        const PresetOperation* op = session.runningPreset();
        return op && !op->ended();
    }
};

} // namespace

class TestMemory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void presetPackets_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("sent");
        QTest::newRow("set 3") << "PresetSet_3" << "3F 01 03";
        QTest::newRow("recall 0") << "PresetRecall_0" << "3F 02 00";
        QTest::newRow("reset 5") << "PresetReset_5" << "3F 00 05";
    }

    void presetPackets()
    {
        QFETCH(QString, button);
        QFETCH(QString, sent);
        PresetRig r;
        FrmMain& m = *r.main;
        click(m, button);
        QCOMPARE(hexList(r.takeWrites()), commands(sent));
        QVERIFY(r.presetBusy());
        QCOMPARE(selected(m, kPresets), QStringList{button});

        // The camera's acknowledge and completion release the button.
        AppRig::pump();
        QVERIFY(!r.presetBusy());
        QVERIFY(selected(m, kPresets).isEmpty());
        QCOMPARE(r.refresh().skipCount(), 2);
    }

    void oneOperationAtATime()
    {
        PresetRig r;
        FrmMain& m = *r.main;
        click(m, QStringLiteral("PresetSet_3"));
        QCOMPARE(hexList(r.takeWrites()), commands("3F 01 03"));
        // Before the camera has answered: refused, the running one untouched.
        click(m, QStringLiteral("PresetRecall_0"));
        click(m, QStringLiteral("PresetSet_4"));
        QVERIFY(r.takeWrites().isEmpty());
        QCOMPARE(selected(m, kPresets), QStringList{"PresetSet_3"});
        // Status reads wait for it too.
        QVERIFY(!readStatus(r));
        QVERIFY(r.takeWrites().isEmpty());

        AppRig::pump();
        QVERIFY(selected(m, kPresets).isEmpty());
        click(m, QStringLiteral("PresetRecall_0"));
        QCOMPARE(hexList(r.takeWrites()), commands("3F 02 00"));

        // While a status read runs nothing happens at all; the button stays selected.
        AppRig::pump();
        r.link().setExchangeRunning(true);
        click(m, QStringLiteral("PresetReset_1"));
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(!r.presetBusy());
        QCOMPARE(selected(m, kPresets), QStringList{"PresetReset_1"});
    }

    void recallReadsOnceAfterItsEnd()
    {
        PresetRig r;
        FrmMain& m = *r.main;
        QCOMPARE(m.autoRefreshed->text(), QStringLiteral("Stop"));
        m.timer1->setInterval(6000);  // whatever it was, the recall's read comes 2000 ms after its end
        click(m, QStringLiteral("PresetRecall_5"));
        QCOMPARE(hexList(r.takeWrites()), commands("3F 02 05"));
        QVERIFY(!m.timer1->isActive());
        QCOMPARE(m.timer1->interval(), 2000);
        QVERIFY(r.refresh().delayedReadArmed());

        AppRig::pump();
        QVERIFY(m.timer1->isActive());
        // Two ticks are skipped, the third reads and stops the timer again.
        QVERIFY(!readStatus(r));
        QVERIFY(!readStatus(r));
        QVERIFY(r.takeWrites().isEmpty());
        QVERIFY(readStatus(r));
        QVERIFY(r.takeWrites().contains(bytes("81 09 7E 7E 00 FF")));
        QVERIFY(!m.timer1->isActive());
        QCOMPARE(m.autoRefreshed->text(), QStringLiteral("Stop"));

        // Set and reset arm nothing; a recall with auto refresh on neither.
        click(m, QStringLiteral("PresetSet_1"));
        AppRig::pump();
        QVERIFY(!r.refresh().delayedReadArmed());
        m.autoRefreshed->click();
        click(m, QStringLiteral("PresetRecall_1"));
        QVERIFY(!r.refresh().delayedReadArmed());
        QVERIFY(!m.timer1->isActive());  // suspended until the recall ends
        AppRig::pump();
        QVERIFY(m.timer1->isActive() && m.autoRefreshed->isEnabled());
    }

    // A preset clicked right after another command ends at its own
    // completion, not at the earlier one still standing in the response box.
    void presetAfterAnotherCommand()
    {
        PresetRig r;
        FrmMain& m = *r.main;
        click(m, QStringLiteral("PresetSet_0"));
        AppRig::pump();
        QVERIFY(!r.presetBusy());
        r.link().SendDirect(QStringLiteral("8101040702FF"));
        AppRig::pump();
        QVERIFY(m.recvText->text().endsWith(QStringLiteral("90 51 FF \r\n")));

        r.chain.faults.completionDelay = 0.5;
        click(m, QStringLiteral("PresetSet_1"));
        AppRig::pump();
        QVERIFY(m.recvText->text().endsWith(QStringLiteral("90 51 FF \r\n90 41 FF \r\n")));
        QVERIFY(r.presetBusy());
        QCOMPARE(selected(m, kPresets), QStringList{"PresetSet_1"});

        r.clock.advance(0.5);
        r.port.deliverDue();
        AppRig::pump();
        QVERIFY(!r.presetBusy());
        QVERIFY(selected(m, kPresets).isEmpty());
    }

    void presetThatNeverEndsIsGivenUp()
    {
        PresetRig r;
        FrmMain& m = *r.main;
        r.chain.faults.silent.insert(1);
        click(m, QStringLiteral("PresetSet_2"));
        AppRig::pump();
        r.clock.advance(PresetOperation::kLimit - 1);
        click(m, QStringLiteral("PresetRecall_1"));
        QCOMPARE(hexList(r.takeWrites()), commands("3F 01 02"));
        QVERIFY(r.messages.boxes.isEmpty());

        // Past the limit the next click frees the frame and is carried out.
        r.clock.advance(1);
        click(m, QStringLiteral("PresetRecall_1"));
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.messages.boxes[0].title, QStringLiteral("Warning"));
        QCOMPARE(r.messages.boxes[0].text, QStringLiteral("The camera did not finish the preset operation.\n"
                                                          "The Preset buttons can be used again."));
        QCOMPARE(hexList(r.takeWrites()), commands("3F 02 01"));
        QCOMPARE(selected(m, kPresets), QStringList{"PresetRecall_1"});
        QVERIFY(r.presetBusy());
        QCOMPARE(r.session.runningPreset()->kind(), PresetOperation::Kind::Recall);
    }

    void memoryPackets_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("sent");
        QTest::newRow("set 2") << "SetOption_2" << "3F 01 02";
        QTest::newRow("reset 4") << "ResetOption_4" << "3F 00 04";
        QTest::newRow("custom set") << "CustomMem_0" << "3F 01 7F";
        QTest::newRow("custom recall") << "CustomMem_1" << "3F 02 7F";
        QTest::newRow("custom reset") << "CustomMem_2" << "3F 00 7F";
    }

    void memoryPackets()
    {
        QFETCH(QString, button);
        QFETCH(QString, sent);
        AppRig r({QStringLiteral("tamiro-k9b")});
        FrmMain& m = *r.main;
        r.identify();
        click(m, button);
        QCOMPARE(hexList(r.takeWrites()), commands(sent));
        AppRig::pump();
        // No busy state and no guard: the button stays selected, the next goes out.
        QVERIFY(!r.session.runningPreset());
        if (!button.startsWith(QLatin1String("Custom")))
            QCOMPARE(selected(m, kMemories), QStringList{button});
        r.link().setExchangeRunning(true);
        click(m, QStringLiteral("CustomMem_1"));
        QVERIFY(r.takeWrites().isEmpty());  // the link refuses it
    }

    // The memory frame's recall reads the camera at once, and a recall
    // brings back what the set stored.
    void recallOptionReadsAtOnce()
    {
        AppRig r({QStringLiteral("tamiro-k9b")});
        FrmMain& m = *r.main;
        r.identify();
        readStatus(r);
        sim::CameraState& cam = r.chain.camera(1).state;
        cam.zoom = 0x1000;
        cam.wbMode = 5;
        cam.rGain = 0x20;
        cam.aeMode = 0x03;
        cam.iris = 9;
        click(m, QStringLiteral("SetOption_2"));
        AppRig::pump();
        cam.zoom = 0x3000;
        cam.wbMode = 0;
        cam.rGain = 0x80;
        cam.aeMode = 0x00;
        cam.iris = 11;
        readStatus(r);
        r.takeWrites();

        m.autoRefreshed->click();
        click(m, QStringLiteral("RecallOption_2"));
        const QStringList sent = hexList(r.takeWrites());
        QCOMPARE(sent.first(), QStringLiteral("81 01 04 3F 02 02 FF"));
        QCOMPARE(sent.mid(1), (QStringList{"81 09 7E 7E 00 FF", "81 09 7E 7E 01 FF", "81 09 7E 7E 02 FF",
                                            "81 09 7E 7E 03 FF"}));
        QCOMPARE(m.control<QLineEdit>(QStringLiteral("ZoomValue"))->text(), QStringLiteral("0x1000"));
        QCOMPARE(m.control<QLineEdit>(QStringLiteral("RGValue"))->text(), QStringLiteral("0x20"));
        QVERIFY(m.action(QStringLiteral("ManualWB"))->isChecked());
        QVERIFY(m.action(QStringLiteral("Manual"))->isChecked());
        QCOMPARE(selected(m, kMemories), (QStringList{"SetOption_2", "RecallOption_2"}));
        // The read took the recall's replies: auto refresh runs on all the same.
        AppRig::pump();
        QVERIFY(m.timer1->isActive());
        QVERIFY(m.autoRefreshed->isEnabled());
        QCOMPARE(m.autoRefreshed->text(), QStringLiteral("Auto"));
    }
};

QTEST_MAIN(TestMemory)
#include "test_memory.moc"
