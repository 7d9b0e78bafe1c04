// The title editors: the key mapping and code list, the glyph picture, the
// mouse editor's editing at both ends of the row, the title packets on the
// addressed camera, refusals of positions that cannot be sent, and what the
// editors do to auto refresh and the docking timer while they are open.
#include "frm_title_k.h"
#include "frm_title_m.h"
#include "speed_box.h"
#include "tick_action.h"
#include "title_codes.h"
#include "title_editors.h"
#include "title_glyphs.h"
#include "twips.h"
#include "window_rig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTimer>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

// Every key that stands for a glyph, in code order.
const QString kKeysInCodeOrder = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ& ?!1234567890abcdefghijklmnopqrstuvwxy"
                                                "$z\\<>()@\":'.,/-");

struct TitleRig : WindowRig {
    explicit TitleRig(const QStringList& names = {QStringLiteral("quorin-p3")}) : WindowRig(names)
    {
        for (int address = 0; address <= 8; ++address)   // as start-up leaves the buffer
            session.titleRow(address).fill(title::kSpace);
    }

    FrmTitleM& openMouse()
    {
        main->action(QStringLiteral("TitleSet"))->trigger();
        return *app->titles().mouseEditor();
    }
    FrmTitleK& openKeyboard()
    {
        QTest::mouseClick(requireChild<QPushButton>(&openMouse(), QStringLiteral("Keyboard")), Qt::LeftButton);
        return *app->titles().keyboardEditor();
    }
    template <typename T> static T* in(QWidget& w, const QString& name) { return requireChild<T>(&w, name); }
    static void click(QWidget& w, const QString& name) { QTest::mouseClick(in<QAbstractButton>(w, name), Qt::LeftButton); }

    // The first 20 codes of the addressed camera's row, as hex text.
    QString row()
    {
        QByteArray b;
        for (int i = 0; i < title::kLength; ++i)
            b.append(char(session.titleRow(session.address())[i]));
        return hex(b);
    }
    // The open mouse editor's cursor: the one cell that shows it.
    int cursor() const
    {
        const FrmTitleM* m = app->titles().mouseEditor();
        if (!m)
            qFatal("no mouse editor open");
        int at = -1;
        for (int i = 0; i < title::kLength; ++i) {
            if (m->cell(i)->atCursor()) {
                if (at >= 0)
                    return -2;   // two cells show the cursor
                at = i;
            }
        }
        return at;
    }
};

// A row of 20 codes from a short hex text, the rest spaces.
title::Row rowOf(const QList<int>& codes)
{
    title::Row r{};
    r.fill(title::kSpace);
    for (int i = 0; i < codes.size(); ++i)
        r[i] = std::uint8_t(codes[i]);
    return r;
}

QString codes(const title::Row& r)
{
    QByteArray b;
    for (int i = 0; i < title::kLength; ++i)
        b.append(char(r[i]));
    return hex(b);
}

QString spaces(int n)
{
    QStringList s;
    for (int i = 0; i < n; ++i)
        s << QStringLiteral("1B");
    return s.join(QLatin1Char(' '));
}

} // namespace

class TestTitle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        quietPlatform();
    }
    void cleanupTestCase() { loudPlatform(); }

    // --- the character set --------------------------------------------------

    void convOverTheWholeTable()
    {
        QCOMPARE(kKeysInCodeOrder.size(), title::kGlyphCount);
        for (int code = 0; code < title::kGlyphCount; ++code) {
            const QChar key = kKeysInCodeOrder.at(code);
            QCOMPARE(title::Conv(key), code);
            QCOMPARE(title::codeOf(key), std::optional<int>(code));
        }
        // Every other character: 0x00 in the keyboard editor, nothing in the mouse editor.
        for (char16_t c = 0; c < 0x300; ++c) {
            if (kKeysInCodeOrder.contains(QChar(c)))
                continue;
            QCOMPARE(title::Conv(QChar(c)), 0);
            QVERIFY(!title::codeOf(QChar(c)));
        }
    }

    void codeList()
    {
        const QStringList lines = title::codeListText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 11);
        QVERIFY(lines.last().isEmpty());
        QCOMPARE(lines[0], QStringLiteral("[A]=[A]  [B]=[B]  [C]=[C]  [D]=[D]  [E]=[E]  [F]=[F]  [G]=[G]  [H]=[H]"));
        QCOMPARE(lines[1], QStringLiteral("[I]=[I]  [J]=[J]  [K]=[K]  [L]=[L]  [M]=[M]  [N]=[N]  [O]=[O]  [P]=[P]"));
        QCOMPARE(lines[2], QStringLiteral("[Q]=[Q]  [R]=[R]  [S]=[S]  [T]=[T]  [U]=[U]  [V]=[V]  [W]=[W]  [X]=[X]"));
        QCOMPARE(lines[3], QString::fromUtf8("[Y]=[Y]  [Z]=[Z]  [Ø]=[@]  [1]=[1]  [2]=[2]  [3]=[3]  [4]=[4]  [5]=[5]"));
        QCOMPARE(lines[4], QStringLiteral("[6]=[6]  [7]=[7]  [8]=[8]  [9]=[9]  [0]=[0]  [!]=[!]  [\"]=[\"]  [$]=[$]"));
        QCOMPARE(lines[5], QStringLiteral("[&]=[&]  [']=[']  [-]=[-]  [/]=[/]  [,]=[,]  [.]=[.]  [Y=]=[\\] [:]=[:]"));
        QCOMPARE(lines[6], QString::fromUtf8("[?]=[?]  [ ]=[ ]  [À]=[a]  [È]=[b]  [Ì]=[c]  [Ò]=[d]  [Ù]=[e]  [Á]=[f]"));
        QCOMPARE(lines[7], QString::fromUtf8("[É]=[g]  [Í]=[h]  [Ó]=[i]  [Ú]=[j]  [Â]=[k]  [Ê]=[l]  [Ô]=[m]  [Æ]=[n]"));
        QCOMPARE(lines[8], QString::fromUtf8("[OE]=[o] [Ã]=[p]  [Õ]=[q]  [Ñ]=[r]  [Ç]=[s]  [ß]=[t]  [Ä]=[u]  [Ï]=[v]"));
        QCOMPARE(lines[9], QString::fromUtf8("[Ö]=[w]  [Ü]=[x]  [Å]=[y]  [F=]=[z] [¿]=[(]  [¡]=[)]  [DM]=[<] [£]=[>]"));
        // Each key of the list is the one the mapping uses for that glyph.
        QCOMPARE(title::Conv(u'@'), 0x48);
        QCOMPARE(title::Conv(u'>'), 0x45);
    }

    void glyphPicture()
    {
        const QImage picture = title::glyphPicture();
        QCOMPARE(picture.size(), QSize(400, 125));
        QSet<QString> seen;
        for (int code = 0; code < title::kGlyphCount; ++code) {
            const QStringList dots = title::glyphDots(code);
            QCOMPARE(dots.size(), 10);
            for (const QString& row : dots)
                QCOMPARE(row.size(), dots.first().size());
            const QString all = dots.join(QLatin1Char('|'));
            QVERIFY2(!seen.contains(all), qPrintable(QStringLiteral("code %1 looks like another").arg(code)));
            seen.insert(all);
            // Dots only inside the 23 x 23 part a character cell copies, and
            // only the space is empty.
            int inside = 0;
            const QRect cell(25 * (code % 16), 25 * (code / 16), 25, 25);
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                for (int x = cell.left(); x <= cell.right(); ++x) {
                    if (picture.pixel(x, y) != qRgb(255, 255, 255)) {
                        QVERIFY(cell.adjusted(1, 1, -1, -1).contains(x, y));
                        ++inside;
                    }
                }
            }
            QCOMPARE(inside == 0, code == title::kSpace);
            QCOMPARE(inside, int(all.count(QLatin1Char('#'))) * title::kDot * title::kDot);
        }
        QVERIFY(title::glyphDots(80).isEmpty());
    }

    // --- editing ------------------------------------------------------------

    void editingAtBothEnds_data()
    {
        QTest::addColumn<QList<int>>("start");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<int>("cursorAfter");
        const QList<int> full{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
        QList<int> ins0{0x48};
        ins0 << full.mid(0, 19);
        QList<int> ins19 = full.mid(0, 19);
        ins19 << 0x48;
        QList<int> del0 = full.mid(1);
        del0 << title::kSpace;
        QList<int> del19 = full.mid(0, 19);
        del19 << title::kSpace;
        QList<int> bs19 = full.mid(0, 18);
        bs19 << 19 << title::kSpace;
        QTest::newRow("insert at 0 shifts, last falls off") << full << 0 << "insert" << ins0 << 1;
        QTest::newRow("insert at 19 overwrites, stays") << full << 19 << "insert" << ins19 << 19;
        QTest::newRow("BS at 0 does nothing") << full << 0 << "BS" << full << 0;
        QTest::newRow("BS at 19 removes 18") << full << 19 << "BS" << bs19 << 18;
        QTest::newRow("DEL at 0") << full << 0 << "DEL" << del0 << 0;
        QTest::newRow("DEL at 19") << full << 19 << "DEL" << del19 << 19;
        QTest::newRow("Left at 0") << full << 0 << "Left" << full << 0;
        QTest::newRow("Left at 19") << full << 19 << "Left" << full << 18;
        QTest::newRow("Right at 0") << full << 0 << "Right" << full << 1;
        QTest::newRow("Right at 19") << full << 19 << "Right" << full << 19;
    }
    void editingAtBothEnds()
    {
        QFETCH(QList<int>, start);
        QFETCH(int, cursor);
        QFETCH(QString, operation);
        QFETCH(QList<int>, after);
        QFETCH(int, cursorAfter);

        // The same operation by the editor's button and by its key in a cell.
        for (bool byKey : {false, true}) {
            TitleRig r;
            r.session.titleRow(1) = rowOf(start);
            FrmTitleM& m = r.openMouse();
            m.clickCell(cursor);
            TitleCell* cell = m.cell(cursor);
            if (operation == QLatin1String("insert")) {
                if (byKey)
                    QTest::keyClick(cell, Qt::Key_At, Qt::NoModifier);
                else
                    QTest::mouseClick(m.picture(), Qt::LeftButton, {}, QPoint(8 * 25 + 3, 4 * 25 + 3));
            } else if (byKey) {
                const QMap<QString, Qt::Key> keys{{"BS", Qt::Key_Backspace}, {"DEL", Qt::Key_Delete},
                                                  {"Left", Qt::Key_Left}, {"Right", Qt::Key_Right}};
                QTest::keyClick(cell, keys.value(operation));
            } else {
                TitleRig::click(m, operation);
            }
            QCOMPARE(r.row(), codes(rowOf(after)));
            QCOMPARE(r.cursor(), cursorAfter);
            for (int i = 0; i < title::kLength; ++i)
                QCOMPARE(m.cell(i)->atCursor(), i == cursorAfter);
        }
    }

    void glyphClicks_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("code");
        QTest::newRow("first cell") << QPoint(1, 1) << 0x00;   // QTest takes (0, 0) for the centre
        QTest::newRow("its far corner") << QPoint(24, 24) << 0x00;
        QTest::newRow("next column") << QPoint(25, 0) << 0x01;
        QTest::newRow("next row") << QPoint(0, 25) << 0x10;
        QTest::newRow("middle") << QPoint(7 * 25 + 12, 2 * 25 + 12) << 0x27;
        QTest::newRow("last cell") << QPoint(399, 124) << 0x4F;
    }
    void glyphClicks()
    {
        QFETCH(QPoint, at);
        QFETCH(int, code);
        QCOMPARE(title::pictureCode(at.x(), at.y()), std::optional<int>(code));
        TitleRig r;
        FrmTitleM& m = r.openMouse();
        QTest::mouseClick(m.picture(), Qt::LeftButton, {}, at);
        QCOMPARE(int(r.session.titleRow(1)[0]), code);
        QCOMPARE(r.cursor(), 1);
        for (QPoint outside : {QPoint(-1, 0), QPoint(400, 0), QPoint(0, 125)})
            QVERIFY(!title::pictureCode(outside.x(), outside.y()));
    }

    void typedKeysAndTheCells()
    {
        TitleRig r;
        FrmTitleM& m = r.openMouse();
        QCOMPARE(m.focusWidget(), m.cell(0));
        QTest::keyClicks(m.cell(0), QStringLiteral("Hi #1."));   // '#' has no glyph: ignored
        QCOMPARE(r.row(), QStringLiteral("07 30 1B 1E 4C ") + spaces(15));
        QCOMPARE(r.cursor(), 5);
        // Every cell shows its glyph as the picture has it, in a white frame,
        // or a black one at the cursor (cell 0 keeps the focus and its mark).
        const QImage picture = m.picture()->picture();
        auto glyph = [&picture](int code) { return picture.copy(25 * (code % 16) + 1, 25 * (code / 16) + 1, 23, 23); };
        auto frameAndGlyph = [&](int cell) {
            const QImage shot = m.cell(cell)->grab().toImage().convertToFormat(picture.format());
            QSet<QRgb> frame;
            for (int k = 0; k < 25; ++k)
                frame << shot.pixel(k, 0) << shot.pixel(k, 24) << shot.pixel(0, k) << shot.pixel(24, k);
            const QString colour = frame.size() == 1 ? QColor(*frame.begin()).name() : QStringLiteral("mixed");
            return QStringLiteral("%1 %2").arg(colour).arg(shot.copy(1, 1, 23, 23) == glyph(r.session.titleRow(1)[cell]));
        };
        QCOMPARE(m.cell(0)->grab().toImage().convertToFormat(picture.format()).copy(1, 1, 23, 23), glyph(0x07));
        QCOMPARE(frameAndGlyph(1), QStringLiteral("#ffffff 1"));
        QCOMPARE(frameAndGlyph(5), QStringLiteral("#000000 1"));
        for (int k = 0; k < 4; ++k)
            QTest::keyClick(m.cell(0), Qt::Key_Left);
        QCOMPARE(r.cursor(), 1);
        QCOMPARE(frameAndGlyph(1), QStringLiteral("#000000 1"));   // the i, as drawn
        QCOMPARE(frameAndGlyph(5), QStringLiteral("#ffffff 1"));
        // Clicking a cell moves the cursor there.
        QTest::mouseClick(m.cell(2), Qt::LeftButton);
        QCOMPARE(r.cursor(), 2);
        // Escape in a cell closes the editor like its Cancel.
        QTest::keyClick(m.cell(2), Qt::Key_Escape);
        QVERIFY(!r.app->titles().mouseEditor());
        TitleRig::unload();
        r.openMouse();
        QCOMPARE(r.cursor(), 0);   // the next editor starts at the first cell
    }

    void outlineInInvertMode()
    {
        TitleRig r;
        FrmTitleM& m = r.openMouse();
        GlyphPicture* p = m.picture();
        const QImage clean = p->picture();
        QCOMPARE(p->highlightedCell(), std::nullopt);
        QTest::mouseMove(p, QPoint(5 * 25 + 10, 10));
        QCOMPARE(p->highlightedCell(), std::optional<int>(5));
        // The box from (1, 1) to (23, 23) of the cell is inverted, nothing else.
        QImage expected = clean;
        for (int x = 126; x <= 148; ++x) {
            for (int y = 1; y <= 23; ++y) {
                if (x == 126 || x == 148 || y == 1 || y == 23)
                    expected.setPixel(x, y, ~expected.pixel(x, y) | 0xFF000000u);
            }
        }
        QCOMPARE(p->shown(), expected);
        QTest::mouseMove(p, QPoint(5 * 25 + 20, 20));   // same cell: nothing redrawn
        QCOMPARE(p->shown(), expected);
        QTest::mouseMove(p, QPoint(3 * 25 + 10, 30));   // the earlier one is erased
        QCOMPARE(p->highlightedCell(), std::optional<int>(19));
        QCOMPARE(p->shown().copy(125, 0, 25, 25), clean.copy(125, 0, 25, 25));
        QVERIFY(p->shown() != clean);
    }

    // --- packets ------------------------------------------------------------

    void keyboardTitlePackets_data()
    {
        QTest::addColumn<int>("address");
        QTest::newRow("camera 1") << 1;
        QTest::newRow("camera 2") << 2;
    }
    void keyboardTitlePackets()
    {
        QFETCH(int, address);
        TitleRig r({QStringLiteral("quorin-p3"), QStringLiteral("quorin-p3")});
        r.session.setAddress(address);
        FrmTitleK& k = r.openKeyboard();
        QTest::keyClicks(TitleRig::in<QLineEdit>(k, QStringLiteral("Text1")), QStringLiteral("Hi 1"));
        TitleRig::click(k, QStringLiteral("OK"));
        const QString h = QStringLiteral("8%1 01 04 73 ").arg(address);
        QCOMPARE(r.sent(), QStringList({h + "00 00 00 00 00 00 00 00 00 00 00 FF",
                                        h + "01 07 30 1B 1E 1B 1B 1B 1B 1B 1B FF", h + "02 " + spaces(10) + " FF"}));
        QCOMPARE(TitleRig::in<QLineEdit>(k, QStringLiteral("Text1"))->text(), QStringLiteral("Hi 1") + QString(16, ' '));
        QVERIFY(k.isVisible());   // OK leaves the window open

        // Positions, colour and blink; a number sign goes out as 0x00.
        TitleRig::in<QLineEdit>(k, QStringLiteral("VPos"))->setText(QStringLiteral("10"));
        TitleRig::in<QLineEdit>(k, QStringLiteral("HPos"))->setText(QStringLiteral(" 19"));
        TitleRig::in<QComboBox>(k, QStringLiteral("Combo1"))->setCurrentIndex(6);
        TitleRig::in<QComboBox>(k, QStringLiteral("Combo2"))->setCurrentIndex(1);
        TitleRig::in<QLineEdit>(k, QStringLiteral("Text1"))->setText(QStringLiteral("#ABCDEFGHIJKLMNOPQRS"));
        TitleRig::click(k, QStringLiteral("OK"));
        QCOMPARE(r.sent(), QStringList({h + "00 0A 13 06 01 00 00 00 00 00 00 FF",
                                        h + "01 00 00 01 02 03 04 05 06 07 08 FF",
                                        h + "02 09 0A 0B 0C 0D 0E 0F 10 11 12 FF"}));
        ChainRig::pump();
        const sim::CameraState& s = r.chain.camera(address).state;
        QCOMPARE(std::tuple(s.titleVertical, s.titleHorizontal, s.titleColour, s.titleBlink), std::tuple(10, 19, 6, 1));
        QCOMPARE(s.title[19], 0x12);
        QCOMPARE(r.chain.camera(address == 1 ? 2 : 1).state.title[19], 0x1B);
    }

    void mouseTitleStaysPerCamera()
    {
        TitleRig r({QStringLiteral("quorin-p3"), QStringLiteral("quorin-p3")});
        FrmTitleM* m = &r.openMouse();
        m->InsertChar(0x10);
        m->InsertChar(0x11);
        QCOMPARE(r.cursor(), 2);
        TitleRig::click(*m, QStringLiteral("OK"));
        QCOMPARE(r.sent(), QStringList({"81 01 04 73 00 00 00 00 00 00 00 00 00 00 00 FF",
                                        "81 01 04 73 01 10 11 " + spaces(8) + " FF",
                                        "81 01 04 73 02 " + spaces(10) + " FF"}));
        TitleRig::click(*m, QStringLiteral("Cancel"));
        TitleRig::unload();

        m = &r.openMouse();                 // camera 1 again: its title is back
        QCOMPARE(r.cursor(), 0);            // the cursor at the first cell again
        QCOMPARE(r.row(), QStringLiteral("10 11 ") + spaces(18));
        m->close();
        r.session.setAddress(2);           // camera 2 has its own
        m = &r.openMouse();
        QCOMPARE(r.row(), spaces(20));
        TitleRig::click(*m, QStringLiteral("OK"));
        QVERIFY(r.sent().at(1).startsWith(QLatin1String("82 01 04 73 01 1B")));
    }

    void clearBothEditors()
    {
        TitleRig r;
        FrmTitleM& m = r.openMouse();
        m.InsertChar(0x05);
        TitleRig::click(m, QStringLiteral("Clear"));
        QCOMPARE(r.sent(), QStringList{"81 01 04 74 00 FF"});
        QCOMPARE(r.row(), spaces(20));

        TitleRig::click(m, QStringLiteral("Keyboard"));
        FrmTitleK& k = *r.app->titles().keyboardEditor();
        TitleRig::in<QLineEdit>(k, QStringLiteral("Text1"))->setText(QStringLiteral("ABC"));
        TitleRig::click(k, QStringLiteral("Clear"));
        QCOMPARE(r.sent(), QStringList{"81 01 04 74 00 FF"});
        QVERIFY(TitleRig::in<QLineEdit>(k, QStringLiteral("Text1"))->text().isEmpty());
        ChainRig::pump();
        QCOMPARE(r.chain.camera(1).state.title[0], 0x1B);
    }

    void titleDisplaySwitch()
    {
        TitleRig r;
        TickAction* menuTick = r.main->tick(QStringLiteral("TitleOnOff"));
        menuTick->setChecked(true);
        FrmTitleK& k = r.openKeyboard();
        auto* check = TitleRig::in<QCheckBox>(k, QStringLiteral("Check1"));
        QVERIFY(check->isChecked());   // loaded from the menu's tick
        QCOMPARE(check->text(), QStringLiteral("Title Display"));

        QTest::mouseClick(check, Qt::LeftButton);
        QCOMPARE(r.sent(), QStringList{"81 01 04 74 03 FF"});
        QVERIFY(!menuTick->isChecked());
        QTest::mouseClick(check, Qt::LeftButton);
        QCOMPARE(r.sent(), QStringList{"81 01 04 74 02 FF"});
        QVERIFY(menuTick->isChecked());

        // Refused during a status read: nothing sent, the box goes back.
        r.link().setExchangeRunning(true);   // a status read holds the line
        QTest::mouseClick(check, Qt::LeftButton);
        QCOMPARE(r.sent(), QStringList());
        QVERIFY(check->isChecked() && menuTick->isChecked());
    }

    void positionRefusals_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString v = QStringLiteral("Vertical Position must be a number from 0 to 254.\nThe title was not sent.");
        const QString h = QStringLiteral("Horizontal Position must be a number from 0 to 254.\nThe title was not sent.");
        QTest::newRow("vertical empty") << "VPos" << "" << v;
        QTest::newRow("vertical not a number") << "VPos" << "1a" << v;
        QTest::newRow("vertical negative") << "VPos" << "-1" << v;
        QTest::newRow("the terminator") << "VPos" << "255" << v;
        QTest::newRow("horizontal too big") << "HPos" << "1000" << h;
        QTest::newRow("horizontal blank inside") << "HPos" << "1 2" << h;
    }
    void positionRefusals()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        for (bool mouse : {false, true}) {
            TitleRig r;
            TitleWindow* w = mouse ? static_cast<TitleWindow*>(&r.openMouse()) : &r.openKeyboard();
            const QString name = !mouse ? box : box == QLatin1String("VPos") ? QStringLiteral("VerPos")
                                                                             : QStringLiteral("HoliPos");
            TitleRig::in<QLineEdit>(*w, name)->setText(text);
            TitleRig::click(*w, QStringLiteral("OK"));
            QCOMPARE(r.sent(), QStringList());
            QCOMPARE(r.messages.boxes.size(), 1);
            QCOMPARE(r.messages.boxes.first().title, QStringLiteral("Warning"));
            QCOMPARE(r.messages.boxes.first().text, message);
        }
        QCOMPARE(title::positionValue(QStringLiteral("254")), std::optional<int>(254));
        QCOMPARE(title::positionValue(QStringLiteral(" 007 ")), std::optional<int>(7));
    }

    // --- windows, auto refresh and the docking timer ------------------------

    void editorsAsDesigned()
    {
        TitleRig r;
        r.main->move(200, 150);
        FrmTitleM& m = r.openMouse();
        QVERIFY(m.isVisible());
        QCOMPARE(m.windowModality(), Qt::ApplicationModal);
        QCOMPARE(m.windowTitle(), QStringLiteral("Title Set with Mouse"));
        QCOMPARE(m.pos(), QPoint(200, 150) + QPoint(twips::toPixels(100), twips::toPixels(100)));
        QCOMPARE(m.picture()->size(), QSize(400, 125));
        for (int i = 0; i < 20; ++i)
            QVERIFY(TitleRig::in<TitleCell>(m, QStringLiteral("Char_%1").arg(i)));
        for (const char* b : {"BS", "DEL", "Left", "Right", "OK", "Cancel", "Clear", "Keyboard"})
            QVERIFY(TitleRig::in<QPushButton>(m, QString::fromLatin1(b)));
        QCOMPARE(TitleRig::in<UpDown>(m, QStringLiteral("UpDown1"))->maximum(), 23);
        QCOMPARE(TitleRig::in<UpDown>(m, QStringLiteral("UpDown2"))->maximum(), 10);
        QCOMPARE(TitleRig::in<UpDown>(m, QStringLiteral("UpDown1"))->buddy()->objectName(), QStringLiteral("HoliPos"));
        auto* colours = TitleRig::in<QComboBox>(m, QStringLiteral("ColorSel"));
        QCOMPARE(colours->currentIndex(), -1);
        QStringList items;
        for (int i = 0; i < colours->count(); ++i)
            items << colours->itemText(i) + QString::number(colours->itemData(i).toInt());
        QCOMPARE(items, QStringList({"White0", "Yellow1", "Violet2", "Red3", "Cyan4", "Green5", "Blue6"}));
        QCOMPARE(TitleRig::in<QComboBox>(m, QStringLiteral("BlinkSel"))->itemText(1), QStringLiteral("Blink"));
        QStringList labels;
        for (QLabel* l : m.findChildren<QLabel*>())
            labels << l->text();
        QVERIFY(labels.contains(QStringLiteral("Holizontal Position")));

        m.move(60, 40);   // where the keyboard editor fits on the screen too
        TitleRig::click(m, QStringLiteral("Keyboard"));
        FrmTitleK& k = *r.app->titles().keyboardEditor();
        QVERIFY(!m.isVisible() && k.isVisible() && !r.app->titles().mouseEditor());
        QCOMPARE(k.windowModality(), Qt::ApplicationModal);
        QCOMPARE(k.windowTitle(), QStringLiteral("Title Set"));
        QCOMPARE(k.pos(), QPoint(60, 40));
        QCOMPARE(TitleRig::in<QLineEdit>(k, QStringLiteral("Text1"))->maxLength(), 20);
        QCOMPARE(TitleRig::in<UpDown>(k, QStringLiteral("UpDown1"))->maximum(), 19);
        QCOMPARE(TitleRig::in<QLineEdit>(k, QStringLiteral("HPos"))->text(), QStringLiteral("0"));
        QString list = title::codeListText();
        QCOMPARE(TitleRig::in<QPlainTextEdit>(k, QStringLiteral("Text3"))->toPlainText() + "\n",
                 list.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        labels.clear();
        for (QLabel* l : k.findChildren<QLabel*>())
            labels << l->text();
        for (const char* t : {"Title String", "Horizontal Position ", "Vertical Position", "Color", "Blink",
                              "Caracter Code List"})
            QVERIFY2(labels.contains(QString::fromLatin1(t)), t);

        k.move(90, 50);
        TitleRig::click(k, QStringLiteral("Mouse"));
        QVERIFY(r.app->titles().mouseEditor() && !r.app->titles().keyboardEditor());
        QCOMPARE(r.app->titles().mouseEditor()->pos(), QPoint(90, 50));
        // Where the editor would not fit, it stays on the screen.
        FrmTitleM& again = *r.app->titles().mouseEditor();
        again.move(790, 590);
        TitleRig::click(again, QStringLiteral("Keyboard"));
        FrmTitleK& inside = *r.app->titles().keyboardEditor();
        QVERIFY(inside.screen()->availableGeometry().contains(inside.frameGeometry()));
    }

    void refreshRestsWhileOpen_data()
    {
        QTest::addColumn<bool>("autoOn");
        QTest::addColumn<bool>("alarmOn");
        QTest::addColumn<QString>("afterSwitch");
        QTest::addColumn<QString>("afterClose");
        // With the alarm on, closing the first editor stops auto refresh
        // already; the timer rests all the same.
        QTest::newRow("auto, no alarm") << true << false << "Auto 0 0 0 0" << "Auto 1 1 1 0";
        QTest::newRow("auto, alarm on") << true << true << "Stop 0 0 0 1" << "Stop 0 1 1 1";
        QTest::newRow("stopped") << false << false << "Stop 0 0 0 1" << "Stop 0 1 1 1";
    }
    void refreshRestsWhileOpen()
    {
        QFETCH(bool, autoOn);
        QFETCH(bool, alarmOn);
        QFETCH(QString, afterSwitch);
        QFETCH(QString, afterClose);
        TitleRig r;
        if (autoOn)
            r.autoOn();
        else
            r.refresh().readOnceAfter(6000);   // a delayed read waiting
        r.session.alarm().on = alarmOn;
        const QString resting = QStringLiteral("%1 0 0 0 %2").arg(autoOn ? "Auto" : "Stop").arg(int(!autoOn));

        FrmTitleM& m = r.openMouse();
        QCOMPARE(r.timers(), resting);
        TitleRig::click(m, QStringLiteral("OK"));   // the replies do not wake it
        ChainRig::pump();
        QCOMPARE(r.timers(), resting);

        TitleRig::click(m, QStringLiteral("Keyboard"));   // the other editor keeps it resting
        QCOMPARE(r.timers(), afterSwitch);
        FrmTitleK& k = *r.app->titles().keyboardEditor();
        TitleRig::click(k, QStringLiteral("Mouse"));
        QCOMPARE(r.timers(), afterSwitch);

        r.app->titles().mouseEditor()->close();
        QCOMPARE(r.timers(), afterClose);
        QVERIFY(!r.refresh().delayedReadArmed());
        QCOMPARE(r.main->timer1->interval(), 2000);
    }

    void titleOnAModelWithout()
    {
        TitleRig r({QStringLiteral("quorin-p2")});
        TitleRig::click(r.openMouse(), QStringLiteral("OK"));
        ChainRig::pump();
        QCOMPARE(r.main->recvText->text().count(QStringLiteral("90 60 02 FF")), 3);
    }
};

QTEST_MAIN(TestTitle)
#include "test_title.moc"
