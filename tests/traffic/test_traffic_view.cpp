// The decoded traffic view on the assembled panel: the Tools menu opens it,
// the operator's controls show up in it by name with their bytes and
// replies, the filters narrow it, and the whole session saves to a file
// that reads back.
#include "app_rig.h"
#include "frm_traffic.h"
#include "save_job.h"
#include "hold_button.h"
#include "tick_action.h"
#include "traffic_text.h"
#include "traffic_session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QProgressDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;
using traffic::Session;

namespace {

struct ViewRig : AppRig {
    explicit ViewRig(const QStringList& names = {QStringLiteral("quorin-p3")}) : AppRig(names) { identify(); }

    FrmTraffic& open()
    {
        main->action(QStringLiteral("TrafficView"))->trigger();
        auto* w = main->findChild<FrmTraffic*>(QStringLiteral("FrmTraffic"));
        if (!w)
            qFatal("the traffic view did not open");
        return *w;
    }
    // The rows the view shows: "direction|camera|bytes|kind|what".
    static QStringList rows(FrmTraffic& w)
    {
        QStringList out;
        const QAbstractItemModel* m = w.list->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = Session::DirectionColumn; c < Session::ColumnCount; ++c)
                cells << m->index(r, c).data().toString();
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }
    // Runs the view's save to its end; true when the file was written.
    static bool saved(FrmTraffic& w, const QString& path)
    {
        traffic::SaveJob* job = w.saveTo(path);
        if (!job)
            return false;
        QSignalSpy finished(job, &traffic::SaveJob::finished);
        return finished.wait(5000) && finished.at(0).at(0).toBool();
    }
    // The rows from the one with these bytes on, count of them.
    static QStringList rowsFrom(FrmTraffic& w, const QString& bytes, int count)
    {
        const QStringList all = rows(w);
        for (int i = 0; i < all.size(); ++i) {
            if (all.at(i).section(QLatin1Char('|'), 2, 2) == bytes)
                return all.mid(i, count);
        }
        return {};
    }
};

} // namespace

class TestTrafficView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void toolsMenuIsLastAndOpensTheView()
    {
        ViewRig r;
        const QList<QAction*> bar = r.main->menuBar()->actions();
        QCOMPARE(bar.last()->objectName(), QStringLiteral("M_Tools"));
        QCOMPARE(bar.last()->text(), QStringLiteral("Tools"));
        QAction* item = r.main->action(QStringLiteral("TrafficView"));
        QCOMPARE(item->text(), QStringLiteral("Decoded Traffic..."));
        QCOMPARE(item->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
        const QList<QAction*> tools = r.main->menu(QStringLiteral("M_Tools"))->actions();
        QCOMPARE(tools.value(0), item);
        QCOMPARE(tools.value(1), r.main->action(QStringLiteral("ComSetting")));
        QCOMPARE(tools.value(1)->text(), QStringLiteral("Com Setting..."));
        QCOMPARE(tools.value(2), r.main->action(QStringLiteral("RemoteControl")));
        QCOMPARE(tools.value(2)->text(), QStringLiteral("Remote Control..."));
        QAction* gamepad = r.main->action(QStringLiteral("Gamepad"));
        QAction* keyboard = r.main->action(QStringLiteral("KeyboardControl"));
        QCOMPARE(tools.value(3), gamepad);
        QCOMPARE(tools.value(4), keyboard);
        QCOMPARE(tools.size(), 5);
        QCOMPARE(gamepad->text(), QStringLiteral("Gamepad..."));
        QCOMPARE(keyboard->text(), QStringLiteral("Keyboard Camera Control"));
        QVERIFY(keyboard->isCheckable());
        QVERIFY(!keyboard->isChecked());

        FrmTraffic& w = r.open();
        QCOMPARE(w.windowTitle(), QStringLiteral("Decoded Traffic"));
        QVERIFY(w.isVisible());
        QCOMPARE(w.windowModality(), Qt::NonModal);
        QVERIFY(w.isWindow());
        QCOMPARE(w.save->text(), QStringLiteral("Save As..."));
        QCOMPARE(w.save->objectName(), QStringLiteral("TrafficSave"));
        QCOMPARE(w.list->objectName(), QStringLiteral("TrafficList"));
        // Closed and opened again: the same window, still there.
        w.close();
        QCOMPARE(&r.open(), &w);
        QCOMPARE(r.main->findChildren<FrmTraffic*>().size(), 1);
    }

    // What happened while the view was closed is there when it opens, and
    // what happens while it is open shows at once, by name, with its replies.
    void controlsShowByNameWithTheirReplies()
    {
        ViewRig r;
        r.main->tick(QStringLiteral("ShutterPriority"))->trigger();
        ChainRig::pump();
        FrmTraffic& w = r.open();
        QCOMPARE(ViewRig::rowsFrom(w, QStringLiteral("81 01 04 39 0A FF"), 3),
                 (QStringList{"Sent|1|81 01 04 39 0A FF|Command|ShutterPriority",
                              "Received|1|90 41 FF|Acknowledge|Acknowledge, socket 1",
                              "Received|1|90 51 FF|Completion|Completion, socket 1"}));

        auto* tele = r.main->control<HoldButton>(QStringLiteral("ZoomTele"));
        tele->setEnabled(true);
        r.main->control<QLineEdit>(QStringLiteral("TeleSpeed"))->setText(QStringLiteral("3"));
        const int before = w.list->model()->rowCount();
        QTest::mousePress(tele, Qt::LeftButton, {}, tele->rect().center());
        ChainRig::pump();
        QTest::mouseRelease(tele, Qt::LeftButton, {}, tele->rect().center());
        r.settle();   // the stop follows once the line has carried the move
        QCOMPARE(ViewRig::rows(w).mid(before),
                 (QStringList{"Sent|1|81 01 04 07 23 FF|Command|ZoomTele speed 3",
                              "Received|1|90 41 FF|Acknowledge|Acknowledge, socket 1",
                              "Received|1|90 51 FF|Completion|Completion, socket 1",
                              "Sent|1|81 01 04 07 00 FF|Command|ZoomTele/ZoomWide stop",
                              "Received|1|90 41 FF|Acknowledge|Acknowledge, socket 1",
                              "Received|1|90 51 FF|Completion|Completion, socket 1"}));
        QCOMPARE(w.count->text(), QStringLiteral("%1 rows").arg(before + 6));

        // The status read's inquiries are there too, answered, though the
        // traffic boxes never show them.
        QVERIFY(readStatus(r));
        QCOMPARE(ViewRig::rowsFrom(w, QStringLiteral("81 09 7E 7E 00 FF"), 1),
                 QStringList{"Sent|1|81 09 7E 7E 00 FF|Inquiry|Lens block inquiry"});
        const QStringList answer = ViewRig::rowsFrom(w, QStringLiteral("81 09 7E 7E 00 FF"), 2);
        QCOMPARE(answer.size(), 2);
        QVERIFY2(answer.at(1).endsWith(QLatin1String("|Inquiry answer|Answer to Lens block inquiry")),
                 qPrintable(answer.at(1)));
        QVERIFY(!r.main->sendText->text().contains(QLatin1String("81 09 7E 7E 00 FF")));
    }

    // A refused command and junk the chain puts before its replies.
    void errorsAndJunk()
    {
        ViewRig r({QStringLiteral("quorin-p3")});
        FrmTraffic& w = r.open();
        r.chain.faults.junk = QByteArray("\x12\x34\x56", 3);
        QCOMPARE(r.link().SD(Packet{0x81, 0x01, 0x04, 0x5B, 0x02, 0xFF}, SendMode::Command), SendResult::Sent);   // not a command it knows
        ChainRig::pump();
        QCOMPARE(ViewRig::rowsFrom(w, QStringLiteral("81 01 04 5B 02 FF"), 3),
                 (QStringList{"Sent|1|81 01 04 5B 02 FF|Command|Command 01 04 5B",
                              "Received||12 34 56|Junk|Junk: 3 bytes that form no packet",
                              "Received|1|90 60 02 FF|Error|Syntax error, socket 0"}));
        // The response box keeps its own form: junk and all, as it came.
        QVERIFY(r.main->recvText->text().endsWith(QLatin1String("12 34 56 90 60 02 FF \r\n")));
    }

    void filtersByCameraAndKind()
    {
        ViewRig r({QStringLiteral("quorin-p3"), QStringLiteral("quorin-p3")});
        FrmTraffic& w = r.open();
        r.main->tick(QStringLiteral("ShutterPriority"))->trigger();
        ChainRig::pump();
        r.main->tick(QStringLiteral("CameraSel_2"))->trigger();   // reads camera 2's status
        ChainRig::pump();
        const int all = w.list->model()->rowCount();

        w.kindFilter->setCurrentText(QStringLiteral("Commands"));
        const QStringList commands = ViewRig::rows(w);
        QVERIFY(!commands.isEmpty());
        for (const QString& row : commands)
            QCOMPARE(row.section(QLatin1Char('|'), 3, 3), QStringLiteral("Command"));
        QVERIFY(commands.contains(QStringLiteral("Sent|1|81 01 04 39 0A FF|Command|ShutterPriority")));
        QCOMPARE(w.count->text(), QStringLiteral("%1 of %2 rows").arg(commands.size()).arg(all));

        w.cameraFilter->setCurrentText(QStringLiteral("2"));
        w.kindFilter->setCurrentText(QStringLiteral("Inquiries"));
        const QStringList inquiries = ViewRig::rows(w);
        QVERIFY(inquiries.contains(QStringLiteral("Sent|2|82 09 00 02 FF|Inquiry|Version inquiry")));
        for (const QString& row : inquiries) {
            QCOMPARE(row.section(QLatin1Char('|'), 1, 1), QStringLiteral("2"));
            QCOMPARE(row.section(QLatin1Char('|'), 3, 3), QStringLiteral("Inquiry"));
        }
        w.kindFilter->setCurrentText(QStringLiteral("Replies"));
        for (const QString& row : ViewRig::rows(w))
            QVERIFY2(row.startsWith(QLatin1String("Received|2|A0 ")), qPrintable(row));
        QVERIFY(!ViewRig::rows(w).isEmpty());

        w.cameraFilter->setCurrentText(QStringLiteral("All"));
        w.kindFilter->setCurrentText(QStringLiteral("All kinds"));
        QCOMPARE(w.list->model()->rowCount(), all);
    }

    // Saved whatever the filters show, read back as it was; a place that
    // cannot be written is told to the operator.
    void savesTheWholeSession()
    {
        ViewRig r;
        FrmTraffic& w = r.open();
        r.main->tick(QStringLiteral("ShutterPriority"))->trigger();
        ChainRig::pump();
        w.kindFilter->setCurrentText(QStringLiteral("Errors"));
        QCOMPARE(w.list->model()->rowCount(), 0);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("traffic.txt"));
        QVERIFY(ViewRig::saved(w, path));
        QString error;
        const auto loaded = Session::load(path, &error);
        QVERIFY2(loaded, qPrintable(error));
        QCOMPARE(*loaded, r.app->decodedTraffic->records());
        // Identification's version exchange, then the command and its two replies.
        QStringList kinds;
        for (const traffic::Record& rec : *loaded)
            kinds << traffic::kindText(rec.kind);
        QCOMPARE(kinds, (QStringList{"Inquiry", "Inquiry answer", "Command", "Acknowledge", "Completion"}));
        QVERIFY(r.messages.boxes.isEmpty());

        QVERIFY(!ViewRig::saved(w, dir.filePath(QStringLiteral("no/such/folder/traffic.txt"))));
        QCOMPARE(r.messages.boxes.size(), 1);
        QCOMPARE(r.messages.boxes.first().title, QStringLiteral("Warning"));
        QVERIFY(r.messages.boxes.first().text.startsWith(QLatin1String("The traffic could not be saved to ")));
    }

    // A control surface's event is a row of its own before the packets it
    // caused, with a kind filter entry of its own, saved and read back.
    void surfaceEventsShowBeforeTheirPackets()
    {
        ViewRig r;
        FrmTraffic& w = r.open();
        QCOMPARE(w.kindFilter->itemText(w.kindFilter->count() - 1), QStringLiteral("Control surfaces"));
        const int before = w.list->model()->rowCount();
        r.app->decodedTraffic->noteSurfaceEvent(QStringLiteral("Remote control"), QStringLiteral("10.0.0.7:9000"),
                                               QStringLiteral("/peltro/cam/1/shutter priority"));
        r.main->tick(QStringLiteral("ShutterPriority"))->trigger();
        ChainRig::pump();
        QCOMPARE(ViewRig::rows(w).mid(before),
                 (QStringList{"Remote control|||Control surface|/peltro/cam/1/shutter priority (from 10.0.0.7:9000)",
                              "Sent|1|81 01 04 39 0A FF|Command|ShutterPriority",
                              "Received|1|90 41 FF|Acknowledge|Acknowledge, socket 1",
                              "Received|1|90 51 FF|Completion|Completion, socket 1"}));

        w.kindFilter->setCurrentText(QStringLiteral("Control surfaces"));
        QCOMPARE(ViewRig::rows(w),
                 QStringList{"Remote control|||Control surface|/peltro/cam/1/shutter priority (from 10.0.0.7:9000)"});
        QCOMPARE(w.count->text(), QStringLiteral("1 of %1 rows").arg(before + 4));
        // It belongs to no camera.
        w.cameraFilter->setCurrentText(QStringLiteral("1"));
        QCOMPARE(w.list->model()->rowCount(), 0);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("surface.txt"));
        QVERIFY(ViewRig::saved(w, path));
        QString error;
        const auto loaded = Session::load(path, &error);
        QVERIFY2(loaded, qPrintable(error));
        QCOMPARE(*loaded, r.app->decodedTraffic->records());
        QCOMPARE(loaded->at(before).surface, QStringLiteral("Remote control"));
    }

    // Past the bound the oldest rows go, and the window says how many went;
    // the filters and their count go on with the rows that stay.
    void droppedRowsAreCounted()
    {
        ViewRig r;
        Session& session = *r.app->decodedTraffic;
        FrmTraffic& w = r.open();
        QVERIFY(w.dropped->isHidden());
        QCOMPARE(w.dropped->objectName(), QStringLiteral("TrafficDropped"));
        session.setLimit(8);
        const qint64 before = session.dropped() + session.size();
        w.kindFilter->setCurrentText(QStringLiteral("Commands"));
        for (int i = 0; i < 4; ++i) {
            session.recordSent(bytes("81 01 04 39 0A FF"));
            session.recordReceived(bytes("90 41 FF 90 51 FF"));
        }
        QCOMPARE(session.size(), 8);
        QCOMPARE(session.dropped(), before + 12 - 8);
        QVERIFY(!w.dropped->isHidden());
        QCOMPARE(w.dropped->text(), QStringLiteral("%1 older rows dropped").arg(before + 4));
        QCOMPARE(w.dropped->toolTip(), QStringLiteral("Only the newest 8 rows are kept."));
        // The last eight rows: two commands with their replies, and the
        // completion and acknowledge of the one before.
        QCOMPARE(ViewRig::rows(w), QStringList(2, QStringLiteral("Sent|1|81 01 04 39 0A FF|Command|ShutterPriority")));
        QCOMPARE(w.count->text(), QStringLiteral("2 of 8 rows"));
        w.kindFilter->setCurrentText(QStringLiteral("All kinds"));
        QCOMPARE(w.count->text(), QStringLiteral("8 rows"));
        QCOMPARE(ViewRig::rows(w).first(), QStringLiteral("Received|1|90 41 FF|Acknowledge|Acknowledge, socket 1"));

        // The words for one.
        ManualClock clock;
        Session one(clock, nullptr);
        one.setLimit(1);
        one.noteSurfaceEvent(QStringLiteral("Keyboard"), {}, QStringLiteral("F1"));
        one.noteSurfaceEvent(QStringLiteral("Keyboard"), {}, QStringLiteral("F2"));
        FrmTraffic other(r.app->context, one);
        QCOMPARE(other.dropped->text(), QStringLiteral("1 older row dropped"));
        QCOMPARE(other.count->text(), QStringLiteral("1 row"));
        other.kindFilter->setCurrentText(QStringLiteral("Commands"));
        QCOMPARE(other.count->text(), QStringLiteral("0 of 1 row"));
    }

    // Following, the newest row stays in sight as the oldest go; not
    // following, the rows in sight stay in sight.
    void followAndStillAsRowsDrop()
    {
        ViewRig r;
        quietPlatform();
        ManualClock clock;
        Session session(clock, nullptr);
        session.setLimit(300);
        FrmTraffic w(r.app->context, session);
        w.resize(900, 400);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto feed = [&](int n) {
            for (int i = 0; i < n; ++i) {
                session.noteSurfaceEvent(QStringLiteral("Gamepad"), {}, QStringLiteral("event %1").arg(session.endSequence()));
                clock.advance(0.001);
            }
            QCoreApplication::processEvents();
        };
        auto topWhat = [&w] {
            const QModelIndex top = w.list->indexAt(QPoint(2, 2));
            return top.sibling(top.row(), Session::WhatColumn).data().toString();
        };
        feed(400);
        QCOMPARE(session.size(), 300);
        QVERIFY(w.list->verticalScrollBar()->maximum() > 100);
        QCOMPARE(w.list->verticalScrollBar()->value(), w.list->verticalScrollBar()->maximum());

        w.follow->setChecked(false);
        w.list->verticalScrollBar()->setValue(100);
        QCoreApplication::processEvents();
        const QString seen = topWhat();
        QCOMPARE(seen, QStringLiteral("event 200"));
        feed(50);   // 50 rows go from above what is in sight
        QCOMPARE(topWhat(), seen);
        QCOMPARE(w.list->verticalScrollBar()->value(), 50);
        feed(80);   // what was in sight is gone: the list shows the oldest there are
        QCOMPARE(w.list->verticalScrollBar()->value(), 0);
        QCOMPARE(topWhat(), QStringLiteral("event 230"));

        w.follow->setChecked(true);
        feed(10);
        QCOMPARE(w.list->verticalScrollBar()->value(), w.list->verticalScrollBar()->maximum());
        loudPlatform();
    }

    // The Save As button asks for a place, and the file comes in steps with
    // a progress dialog; the button waits meanwhile.
    void saveAsAsksThenStreams()
    {
        ViewRig r;
        FrmTraffic& w = r.open();
        r.main->tick(QStringLiteral("ShutterPriority"))->trigger();
        ChainRig::pump();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("asked.txt"));
        w.save->click();
        auto* dialog = w.findChild<QFileDialog*>(QStringLiteral("TrafficSaveDialog"));
        QVERIFY(dialog);
        dialog->selectFile(path);
        QVERIFY(QMetaObject::invokeMethod(dialog, "accept"));
        traffic::SaveJob* job = w.saving();
        QVERIFY(job);
        QVERIFY(!w.save->isEnabled());
        QVERIFY(w.findChild<QProgressDialog*>(QStringLiteral("TrafficSaveProgress")));
        QVERIFY(!w.saveTo(dir.filePath(QStringLiteral("second.txt"))));   // one at a time
        QSignalSpy finished(job, &traffic::SaveJob::finished);
        QVERIFY(finished.wait(5000));
        QVERIFY(w.save->isEnabled());
        QString error;
        const auto loaded = Session::load(path, &error);
        QVERIFY2(loaded, qPrintable(error));
        QCOMPARE(*loaded, r.app->decodedTraffic->records());
        QTRY_VERIFY(!w.findChild<QProgressDialog*>(QStringLiteral("TrafficSaveProgress")));
        QVERIFY(r.messages.boxes.isEmpty());
    }
};

QTEST_MAIN(TestTrafficView)
#include "test_traffic_view.moc"
