// The two privacy windows: their packets byte for byte on the addressed
// camera, the mask and colour tables, the automatic zone sets, every refusal
// of a field that cannot be sent, and their place among the link's exchanges.
#include "frm_privacy.h"
#include "frm_privacy_a.h"
#include "privacy_packets.h"
#include "privacy_windows.h"
#include "window_rig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace peltro;
using namespace peltro::test;

namespace {

// Three cameras with the 24 masks (TAMIRO-K9B) or the six zones (TAMIRO-K5A).
struct PrivacyRig : WindowRig {
    explicit PrivacyRig(const QString& model = QStringLiteral("tamiro-k9b"), int address = 1)
        : WindowRig({model, model, model})
    {
        session.setAddress(address);
    }

    FrmPrivacy& masks()
    {
        main->action(QStringLiteral("SettingZones"))->trigger();
        return *app->privacy().privacy();
    }
    FrmPrivacyA& zones()
    {
        main->action(QStringLiteral("PrivacyAv"))->trigger();
        return *app->privacy().privacyA();
    }
    template <typename T> static T* in(QWidget& w, const QString& name) { return requireChild<T>(&w, name); }
    static void click(QWidget& w, const QString& name) { QTest::mouseClick(in<QAbstractButton>(w, name), Qt::LeftButton); }
    static void setText(QWidget& w, const QString& name, const QString& text) { in<QLineEdit>(w, name)->setText(text); }

    QStringList messageTexts()
    {
        QStringList out;
        for (const auto& box : messages.boxes)
            out << box.title + QLatin1Char('|') + box.text;
        messages.boxes.clear();
        return out;
    }
};

privacy::MaskSet only(std::initializer_list<int> masks)
{
    privacy::MaskSet set{};
    for (int m : masks)
        set[m] = true;
    return set;
}

} // namespace

class TestPrivacy : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        quietPlatform();
    }
    void cleanupTestCase() { loudPlatform(); }

    // --- the tables ---------------------------------------------------------

    void maskBitsOfEveryMask_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<QString>("m3m2m1m0");
        const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWX";
        for (int mask = 0; mask < privacy::kMaskCount; ++mask) {
            int bytes[4] = {0, 0, 0, 0};
            bytes[3 - mask / 6] = 1 << (mask % 6);
            QTest::newRow(QByteArray(1, letters[mask]).constData())
                << mask << QString::asprintf("%02X %02X %02X %02X", bytes[0], bytes[1], bytes[2], bytes[3]);
        }
    }
    void maskBitsOfEveryMask()
    {
        QFETCH(int, mask);
        QFETCH(QString, m3m2m1m0);
        const Packet packet = privacy::maskDisplayPacket(1, only({mask}));
        QCOMPARE(hex(packet.bytes().mid(4, 4)), m3m2m1m0);
        QCOMPARE(privacy::maskLetter(mask), QString(QChar(u'A' + mask)));
    }

    void allMasksAndNone()
    {
        privacy::MaskSet all;
        all.fill(true);
        QCOMPARE(privacy::maskDisplayPacket(1, all).hex().trimmed(), QStringLiteral("81 01 04 77 3F 3F 3F 3F FF"));
        QCOMPARE(privacy::maskDisplayPacket(1, {}).hex().trimmed(), QStringLiteral("81 01 04 77 00 00 00 00 FF"));
    }

    void colourCodesWithHalf()
    {
        const QStringList names = privacy::colourNames();
        QCOMPARE(names, QStringList({"Black", "Gray1", "Gray2", "Gray3", "Gray4", "Gray5", "Gray6", "White", "Red",
                                     "Green", "Blue", "Cyan", "Yellow", "Magenta"}));
        for (int c = 0; c < names.size(); ++c) {
            for (bool half : {false, true}) {
                const int expected = c + (half ? 0x10 : 0);
                const Packet first = privacy::maskColourPacket(1, {}, c, half, 0, false);
                const Packet second = privacy::maskColourPacket(1, {}, 0, false, c, half);
                QCOMPARE(std::pair(first.at(8), first.at(9)), std::pair(expected, 0x00));
                QCOMPARE(std::pair(second.at(8), second.at(9)), std::pair(0x00, expected));
            }
        }
    }

    void moveDirectionPrecedence_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("code");
        QTest::newRow("none") << QList<int>{} << 0x00;
        QTest::newRow("centre alone") << QList<int>{4} << 0x00;
        const int codes[9] = {0x21, 0x01, 0x11, 0x20, 0x00, 0x10, 0x22, 0x02, 0x12};
        for (int i = 0; i < 9; ++i)
            QTest::newRow(qPrintable(QStringLiteral("only %1").arg(i))) << QList<int>{i} << codes[i];
        // tested in the order 1, 2, 5, 8, 7, 6, 3, 0
        QTest::newRow("1 before 2") << QList<int>{2, 1} << 0x01;
        QTest::newRow("2 before 5") << QList<int>{5, 2, 0} << 0x11;
        QTest::newRow("5 before 8") << QList<int>{8, 5} << 0x10;
        QTest::newRow("8 before 7") << QList<int>{7, 8} << 0x12;
        QTest::newRow("7 before 6") << QList<int>{6, 7} << 0x02;
        QTest::newRow("6 before 3") << QList<int>{3, 6} << 0x22;
        QTest::newRow("3 before 0") << QList<int>{0, 3} << 0x20;
        QTest::newRow("centre never counts") << QList<int>{4, 0} << 0x21;
    }
    void moveDirectionPrecedence()
    {
        QFETCH(QList<int>, selected);
        QFETCH(int, code);
        std::array<bool, privacy::kDirectionCount> s{};
        for (int i : selected)
            s[i] = true;
        QCOMPARE(privacy::moveDirection(s), code);
    }

    void fieldConversions()
    {
        QCOMPARE(privacy::hexDigits(QStringLiteral("0aF"), 3), std::optional<QList<int>>(QList<int>{0, 10, 15}));
        for (const char* bad : {"", "0", "012", "0G", " 1", "1 "})
            QVERIFY2(!privacy::hexDigits(QString::fromLatin1(bad), 2), bad);
        QCOMPARE(privacy::zoneValue(QStringLiteral("a")), std::optional<int>(10));
        QCOMPARE(privacy::zoneValue(QStringLiteral("00FE")), std::optional<int>(0xFE));
        for (const char* bad : {"", "FF", "100", "G", "-1", " 1", "1FFFFFFFFF"})
            QVERIFY2(!privacy::zoneValue(QString::fromLatin1(bad)), bad);
    }

    // --- the mask window ----------------------------------------------------

    void maskWindowAsDesigned()
    {
        PrivacyRig r;
        FrmPrivacy& w = r.masks();
        QVERIFY(w.isWindow() && w.isVisible() && !w.isModal());
        QCOMPARE(w.windowTitle(), QStringLiteral("PrivacyZone Setting"));
        QStringList frames;
        for (QGroupBox* g : w.findChildren<QGroupBox*>())
            frames << g->title();
        frames.sort();
        QCOMPARE(frames, QStringList({"Disply", "Mask SET", "Move Pan Tilt", "Pan Tilt Angle", "Set Mask Color",
                                      "Set PTZ"}));
        const QMap<QString, QString> captions{
            {"CmdPrivacySet", "Privacy Zone Set"}, {"cmdPrivacyDisp", "Privacy Zone Display On/Off"},
            {"cmdPrivacyColor", "Set Color"},      {"CmdGridOn", "GridOn"},
            {"cmdGridoff", "Grid Off"},            {"cmdPZMpantilt", "Send Command"},
            {"cmdMovePanTilt", "Send Command"},    {"Command1", "Send Command"},
            {"ClrSET", "Text Clear"},              {"Check1", "New"},
            {"Chk1", "Half"},                      {"Chk2", "Half"}};
        for (auto it = captions.begin(); it != captions.end(); ++it)
            QCOMPARE(PrivacyRig::in<QAbstractButton>(w, it.key())->text(), it.value());
        const QMap<QString, QString> texts{{"Zones_0", "01"}, {"Zones_1", "01"}, {"Zones_2", "05"},
                                           {"Zones_3", "05"}, {"TextPan", "000"}, {"TextTilt", "000"},
                                           {"TextMovePan", "00"}, {"TextMoveTilt", "00"}, {"TextSetPTZpan", ""},
                                           {"TextSetPTZTilt", ""}, {"TextSetPTZzoom", ""}};
        for (auto it = texts.begin(); it != texts.end(); ++it)
            QCOMPARE(PrivacyRig::in<QLineEdit>(w, it.key())->text(), it.value());
        QStringList labels;
        for (QLabel* l : w.findChildren<QLabel*>())
            labels << l->text();
        for (const char* t : {" A  B  C  D  E  F  G  H   I  J  K   L ", "M  N  O  P  Q  R   S  T  U  V  W  X ",
                              "-180    -90       0      90       180  ", "800h   C00h            400h     800h",
                              "A00h    E00h   200h    600h", "Color 1", "Color 2", "Width", "Height", "Zoom"})
            QVERIFY2(labels.contains(QString::fromLatin1(t)), t);
        QCOMPARE(labels.count(QStringLiteral(" A  B  C  D  E  F  G  H   I  J  K   L ")), 2);
        for (int i = 0; i < 24; ++i) {
            QVERIFY(PrivacyRig::in<QCheckBox>(w, QStringLiteral("Checks0_%1").arg(i)));
            QVERIFY(PrivacyRig::in<QCheckBox>(w, QStringLiteral("Checks1_%1").arg(i)));
        }
        for (int i = 0; i < 9; ++i)
            QCOMPARE(PrivacyRig::in<QAbstractButton>(w, QStringLiteral("Opmove_%1").arg(i))->isChecked(), i == 4);
        auto* setMask = PrivacyRig::in<QComboBox>(w, QStringLiteral("combSetPrivacy"));
        auto* ptz = PrivacyRig::in<QComboBox>(w, QStringLiteral("comboSetPTZ"));
        QCOMPARE(setMask->count(), 24);
        QCOMPARE(setMask->itemText(23), QStringLiteral("SetMask_X"));
        QCOMPARE(ptz->itemText(0), QStringLiteral("Mask_A"));
        QCOMPARE(ptz->itemText(23), QStringLiteral("Mask_X"));
        QCOMPARE(PrivacyRig::in<QComboBox>(w, QStringLiteral("Combo_1"))->itemText(13), QStringLiteral("Magenta"));
    }

    void reopeningResetsTheListsOnly()
    {
        PrivacyRig r;
        FrmPrivacy* w = &r.masks();
        const QStringList lists{"combSetPrivacy", "Combo_0", "Combo_1", "comboSetPTZ"};
        for (const QString& name : lists)
            QCOMPARE(PrivacyRig::in<QComboBox>(*w, name)->currentIndex(), 0);
        for (const QString& name : lists)
            PrivacyRig::in<QComboBox>(*w, name)->setCurrentIndex(5);
        PrivacyRig::setText(*w, QStringLiteral("TextPan"), QStringLiteral("123"));
        QCOMPARE(&r.masks(), w);   // still loaded: the lists go back, the rest stays
        for (const QString& name : lists)
            QCOMPARE(PrivacyRig::in<QComboBox>(*w, name)->currentIndex(), 0);
        QCOMPARE(PrivacyRig::in<QLineEdit>(*w, QStringLiteral("TextPan"))->text(), QStringLiteral("123"));

        QPointer<FrmPrivacy> closed = w;
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(closed.isNull());   // closing unloads
        QCOMPARE(PrivacyRig::in<QLineEdit>(r.masks(), QStringLiteral("TextPan"))->text(), QStringLiteral("000"));
    }

    void zonesKeyFilter()
    {
        PrivacyRig r;
        auto* x = PrivacyRig::in<QLineEdit>(r.masks(), QStringLiteral("Zones_0"));
        x->clear();
        x->setFocus();
        QTest::keyClicks(x, QStringLiteral("g-z b"));
        QCOMPARE(x->text(), QStringLiteral("B"));
        QTest::keyClick(x, Qt::Key_Backspace);
        QTest::keyClicks(x, QStringLiteral("9e7"));
        QCOMPARE(x->text(), QStringLiteral("9E"));   // two digits at most
    }

    // The packets of the examples, on camera 1 and on camera 3 of the chain.
    void maskWindowPackets_data()
    {
        QTest::addColumn<int>("address");
        QTest::newRow("camera 1") << 1;
        QTest::newRow("camera 3") << 3;
    }
    void maskWindowPackets()
    {
        QFETCH(int, address);
        PrivacyRig r(QStringLiteral("tamiro-k9b"), address);
        FrmPrivacy& w = r.masks();
        const QString h = QStringLiteral("8%1 01 04 ").arg(address);

        PrivacyRig::in<QComboBox>(w, QStringLiteral("combSetPrivacy"))->setCurrentIndex(2);
        PrivacyRig::click(w, QStringLiteral("CmdPrivacySet"));
        QCOMPARE(r.sent(), QStringList{h + "76 02 00 00 01 00 01 00 05 00 05 FF"});
        PrivacyRig::in<QCheckBox>(w, QStringLiteral("Check1"))->setChecked(true);
        PrivacyRig::setText(w, QStringLiteral("Zones_0"), QStringLiteral("1A"));
        PrivacyRig::click(w, QStringLiteral("CmdPrivacySet"));
        QCOMPARE(r.sent(), QStringList{h + "76 02 01 01 0A 00 01 00 05 00 05 FF"});

        PrivacyRig::in<QCheckBox>(w, QStringLiteral("Checks0_0"))->setChecked(true);
        PrivacyRig::in<QCheckBox>(w, QStringLiteral("Checks0_23"))->setChecked(true);
        PrivacyRig::click(w, QStringLiteral("cmdPrivacyDisp"));
        QCOMPARE(r.sent(), QStringList{h + "77 20 00 00 01 FF"});

        PrivacyRig::in<QComboBox>(w, QStringLiteral("Combo_0"))->setCurrentIndex(8);
        PrivacyRig::in<QCheckBox>(w, QStringLiteral("Chk1"))->setChecked(true);
        PrivacyRig::click(w, QStringLiteral("cmdPrivacyColor"));
        QCOMPARE(r.sent(), QStringList{h + "78 00 00 00 00 18 00 FF"});
        PrivacyRig::in<QCheckBox>(w, QStringLiteral("Checks1_6"))->setChecked(true);
        PrivacyRig::in<QComboBox>(w, QStringLiteral("Combo_1"))->setCurrentIndex(13);
        PrivacyRig::in<QCheckBox>(w, QStringLiteral("Chk2"))->setChecked(true);
        PrivacyRig::click(w, QStringLiteral("cmdPrivacyColor"));
        QCOMPARE(r.sent(), QStringList{h + "78 00 00 01 00 18 1D FF"});

        PrivacyRig::click(w, QStringLiteral("CmdGridOn"));
        PrivacyRig::click(w, QStringLiteral("cmdGridoff"));
        QCOMPARE(r.sent(), QStringList({h + "7C 02 FF", h + "7C 03 FF"}));

        PrivacyRig::setText(w, QStringLiteral("TextPan"), QStringLiteral("C0a"));
        PrivacyRig::setText(w, QStringLiteral("TextTilt"), QStringLiteral("E01"));
        PrivacyRig::click(w, QStringLiteral("cmdPZMpantilt"));
        QCOMPARE(r.sent(), QStringList{h + "79 0C 00 0A 0E 00 01 FF"});

        PrivacyRig::click(w, QStringLiteral("cmdMovePanTilt"));   // centre selected
        PrivacyRig::setText(w, QStringLiteral("TextMovePan"), QStringLiteral("12"));
        PrivacyRig::setText(w, QStringLiteral("TextMoveTilt"), QStringLiteral("3f"));
        PrivacyRig::click(w, QStringLiteral("Opmove_0"));
        PrivacyRig::click(w, QStringLiteral("cmdMovePanTilt"));
        QCOMPARE(r.sent(), QStringList({h + "7A 00 00 00 00 00 FF", h + "7A 01 02 03 0F 21 FF"}));

        PrivacyRig::in<QComboBox>(w, QStringLiteral("comboSetPTZ"))->setCurrentIndex(23);
        PrivacyRig::setText(w, QStringLiteral("TextSetPTZpan"), QStringLiteral("123"));
        PrivacyRig::setText(w, QStringLiteral("TextSetPTZTilt"), QStringLiteral("456"));
        PrivacyRig::setText(w, QStringLiteral("TextSetPTZzoom"), QStringLiteral("789A"));
        PrivacyRig::click(w, QStringLiteral("Command1"));
        QCOMPARE(r.sent(), QStringList{h + "7B 17 01 02 03 04 05 06 07 08 09 0A FF"});
        QVERIFY(r.messages.boxes.isEmpty());

        // The window's own log; the main window's history stays as it was.
        const QString log = PrivacyRig::in<TrafficText>(w, QStringLiteral("PrivacySetTxt"))->text();
        QVERIFY(log.endsWith(h + "7B 17 01 02 03 04 05 06 07 08 09 0A FF \r\n"));
        QCOMPARE(log.count(QStringLiteral("\r\n")), 11);
        QVERIFY(r.main->sendText->text().isEmpty());
        PrivacyRig::click(w, QStringLiteral("ClrSET"));
        QVERIFY(PrivacyRig::in<TrafficText>(w, QStringLiteral("PrivacySetTxt"))->text().isEmpty());

        // Each packet landed on the addressed camera, and on no other.
        ChainRig::pump();
        const auto& mask = r.chain.camera(address).state;
        QCOMPARE(mask.masks[2], (sim::CameraState::MaskRect{0x1A, 0x01, 0x05, 0x05}));
        QCOMPARE(mask.maskDisplay, 0x800001);
        QCOMPARE(std::tuple(mask.maskColourSet, mask.maskColour1, mask.maskColour2), std::tuple(1 << 6, 0x18, 0x1D));
        for (int other = 1; other <= 3; ++other) {
            if (other != address)
                QCOMPARE(r.chain.camera(other).state.masks[2], sim::CameraState::MaskRect{});
        }
        QVERIFY(!r.main->recvText->text().contains(QLatin1String(" 60 ")));
    }

    void maskWindowRefusals_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message");
        const QString tail = QStringLiteral(" hexadecimal digits (0-9, A-F).\nNothing was sent.");
        QTest::newRow("X empty") << "Zones_0" << "" << "CmdPrivacySet" << "Mask SET: X must be 2" + tail;
        QTest::newRow("Y short") << "Zones_1" << "1" << "CmdPrivacySet" << "Mask SET: Y must be 2" + tail;
        QTest::newRow("Width not hex") << "Zones_2" << "0G" << "CmdPrivacySet" << "Mask SET: Width must be 2" + tail;
        QTest::newRow("Height blank") << "Zones_3" << "0 " << "CmdPrivacySet" << "Mask SET: Height must be 2" + tail;
        QTest::newRow("angle pan short") << "TextPan" << "00" << "cmdPZMpantilt" << "Pan Tilt Angle: Pan must be 3" + tail;
        QTest::newRow("angle tilt") << "TextTilt" << "-12" << "cmdPZMpantilt" << "Pan Tilt Angle: Tilt must be 3" + tail;
        QTest::newRow("move pan") << "TextMovePan" << "" << "cmdMovePanTilt" << "Move Pan Tilt: Pan must be 2" + tail;
        QTest::newRow("move tilt") << "TextMoveTilt" << "x1" << "cmdMovePanTilt" << "Move Pan Tilt: Tilt must be 2" + tail;
        QTest::newRow("PTZ pan empty") << "TextSetPTZpan" << "" << "Command1" << "Set PTZ: Pan must be 3" + tail;
        QTest::newRow("PTZ tilt") << "TextSetPTZTilt" << "12" << "Command1" << "Set PTZ: Tilt must be 3" + tail;
        QTest::newRow("PTZ zoom") << "TextSetPTZzoom" << "12 4" << "Command1" << "Set PTZ: Zoom must be 4" + tail;
    }
    void maskWindowRefusals()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, button);
        QFETCH(QString, message);
        PrivacyRig r;
        FrmPrivacy& w = r.masks();
        // Set PTZ starts empty: the other fields of its row are made valid.
        PrivacyRig::setText(w, QStringLiteral("TextSetPTZpan"), QStringLiteral("123"));
        PrivacyRig::setText(w, QStringLiteral("TextSetPTZTilt"), QStringLiteral("456"));
        PrivacyRig::setText(w, QStringLiteral("TextSetPTZzoom"), QStringLiteral("789A"));
        PrivacyRig::setText(w, field, text);
        PrivacyRig::click(w, button);
        QCOMPARE(r.sent(), QStringList());
        QCOMPARE(r.messageTexts(), QStringList{"Warning|" + message});
        QVERIFY(PrivacyRig::in<TrafficText>(w, QStringLiteral("PrivacySetTxt"))->text().isEmpty());
    }

    void colourAndMaskWithoutSelection()
    {
        PrivacyRig r;
        FrmPrivacy& w = r.masks();
        PrivacyRig::in<QComboBox>(w, QStringLiteral("Combo_1"))->setCurrentIndex(-1);
        PrivacyRig::click(w, QStringLiteral("cmdPrivacyColor"));
        PrivacyRig::in<QComboBox>(w, QStringLiteral("combSetPrivacy"))->setCurrentIndex(-1);
        PrivacyRig::click(w, QStringLiteral("CmdPrivacySet"));
        QCOMPARE(r.sent(), QStringList());
        QCOMPARE(r.messageTexts(),
                 QStringList({"Warning|Set Mask Color: choose Color 2 from its list.\nNothing was sent.",
                              "Warning|Mask SET: choose a mask from the list.\nNothing was sent."}));
    }

    // A privacy packet is an operator command: refused while a status read
    // runs, and no status read starts before its reply has finished.
    void maskPacketsWaitTheirTurnOnTheLink()
    {
        PrivacyRig r;
        FrmPrivacy& w = r.masks();
        r.link().setExchangeRunning(true);   // a status read holds the line
        PrivacyRig::click(w, QStringLiteral("CmdGridOn"));
        QCOMPARE(r.sent(), QStringList());
        QVERIFY(PrivacyRig::in<TrafficText>(w, QStringLiteral("PrivacySetTxt"))->text().isEmpty());
        r.link().setExchangeRunning(false);

        r.autoOn();
        QVERIFY(r.main->timer1->isActive());
        r.port.chain().faults.replyDelay = 0.2;
        PrivacyRig::click(w, QStringLiteral("CmdGridOn"));
        QCOMPARE(r.sent(), QStringList{"81 01 04 7C 02 FF"});
        QVERIFY(!r.main->timer1->isActive());   // suspended while the reply is due
        r.clock.advance(0.3);
        r.port.deliverDue();
        ChainRig::pump();
        QVERIFY(r.main->timer1->isActive());    // the completion gives it back
        QCOMPARE(r.main->recvText->text(), QStringLiteral("90 41 FF \r\n90 51 FF \r\n"));
    }

    void masksOnAModelWithout()
    {
        PrivacyRig r(QStringLiteral("tamiro-k5a"));
        PrivacyRig::click(r.masks(), QStringLiteral("CmdGridOn"));
        ChainRig::pump();
        QCOMPARE(r.main->recvText->text(), QStringLiteral("90 60 02 FF \r\n"));
    }

    // --- the zone window ----------------------------------------------------

    void zoneWindowAsDesigned()
    {
        PrivacyRig r(QStringLiteral("tamiro-k5a"));
        FrmPrivacyA& w = r.zones();
        QVERIFY(w.isWindow() && w.isVisible() && !w.isModal());
        QCOMPARE(w.windowTitle(), QStringLiteral("PrivacyZone Setting"));
        QTimer* timer = PrivacyRig::in<QTimer>(w, QStringLiteral("Timer2"));
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        for (int i = 0; i < 24; ++i)
            QCOMPARE(PrivacyRig::in<QLineEdit>(w, QStringLiteral("Zones_%1").arg(i))->text(), QStringLiteral("0"));
        QStringList captions;
        for (const char* b : {"cmdPZMset_0", "cmdPZMset_1", "cmdPZMset_2", "SettingMode", "CmdPrivacyOn",
                              "CmdPrivacyoff", "CmdClear"})
            captions << PrivacyRig::in<QPushButton>(w, QString::fromLatin1(b))->text();
        QCOMPARE(captions, QStringList({"Privacy Set 1", "Privacy Set 2", "Privacy Set 3", "", "Privacy On",
                                        "Privacy Off", "Clear"}));
        QStringList labels;
        for (QLabel* l : w.findChildren<QLabel*>())
            labels << l->text();
        for (const char* t : {"Zone 1", "Zone 6", "X: 0 to F", "Y: 0 to B", "Width: 1 to F", "Height: 1 to B",
                              "Privacy Zone SET ",
                              "When \"Set bottun\" on, Set command will be sent Automatically. "})
            QVERIFY2(labels.contains(QString::fromLatin1(t)), t);
    }

    void zonePackets_data()
    {
        QTest::addColumn<int>("address");
        QTest::newRow("camera 1") << 1;
        QTest::newRow("camera 2") << 2;
    }
    void zonePackets()
    {
        QFETCH(int, address);
        PrivacyRig r(QStringLiteral("tamiro-k5a"), address);
        FrmPrivacyA& w = r.zones();
        const QString h = QStringLiteral("8%1 01 04 ").arg(address);
        const QStringList zone3and4{"2", "3", "4", "5", "A", "b", "1", "01"};
        for (int i = 0; i < 8; ++i)
            PrivacyRig::setText(w, QStringLiteral("Zones_%1").arg(8 + i), zone3and4[i]);
        PrivacyRig::click(w, QStringLiteral("cmdPZMset_1"));
        QCOMPARE(r.sent(), QStringList{h + "76 01 02 03 04 05 0A 0B 01 01 FF"});
        QVERIFY(r.main->sendText->text().endsWith(h + "76 01 02 03 04 05 0A 0B 01 01 FF \r\n"));

        PrivacyRig::click(w, QStringLiteral("CmdPrivacyOn"));
        PrivacyRig::click(w, QStringLiteral("CmdPrivacyoff"));
        PrivacyRig::click(w, QStringLiteral("CmdClear"));
        QCOMPARE(r.sent(), QStringList({h + "77 02 FF", h + "77 03 FF", h + "77 00 FF"}));
        QCOMPARE(r.main->sendText->text().count(QStringLiteral("\r\n")), 1);   // no log of their own

        // One at a time: the zones land, then privacy goes on, on that camera only.
        r.main->sendText->clear();
        PrivacyRig::click(w, QStringLiteral("cmdPZMset_1"));
        PrivacyRig::click(w, QStringLiteral("CmdPrivacyOn"));
        ChainRig::pump();
        const sim::CameraState& s = r.chain.camera(address).state;
        QCOMPARE(s.zones[2], (std::array<int, 4>{2, 3, 4, 5}));
        QCOMPARE(s.zones[3], (std::array<int, 4>{0xA, 0xB, 1, 1}));
        QVERIFY(s.zonesOn);
        QVERIFY(!r.chain.camera(address == 1 ? 2 : 1).state.zonesOn);
    }

    // Opening the window leaves the camera's zones alone: the automatic sets
    // wait for SettingMode, which then switches them on and off.
    void openingKeepsTheCameraZones()
    {
        PrivacyRig r(QStringLiteral("tamiro-k5a"));
        sim::CameraState& camera = r.chain.camera(1).state;
        camera.zones[0] = {1, 2, 3, 4};
        camera.zones[5] = {0xA, 0xB, 1, 1};
        const auto before = camera.zones;
        FrmPrivacyA& w = r.zones();
        QTimer* timer = PrivacyRig::in<QTimer>(w, QStringLiteral("Timer2"));
        auto* mode = PrivacyRig::in<QPushButton>(w, QStringLiteral("SettingMode"));
        ChainRig::pump();
        QVERIFY(!timer->isActive());
        QCOMPARE(mode->text(), QString());
        QCOMPARE(r.sent(), QStringList());
        QCOMPARE(camera.zones, before);

        QTest::mouseClick(mode, Qt::LeftButton);
        QCOMPARE(mode->text(), QStringLiteral("ON"));
        QVERIFY(timer->isActive());
        QMetaObject::invokeMethod(timer, "timeout");
        QVERIFY(r.runUntil([&] { return r.port.writes.size() >= 3; }));
        QCOMPARE(r.sent().size(), 3);
        QCOMPARE(camera.zones, decltype(before){});   // what the boxes say: zeros

        QTest::mouseClick(mode, Qt::LeftButton);
        QCOMPARE(mode->text(), QStringLiteral("OFF"));
        QVERIFY(!timer->isActive());
    }

    void automaticSetsThreePerTick()
    {
        PrivacyRig r(QStringLiteral("tamiro-k5a"));
        FrmPrivacyA& w = r.zones();
        QTimer* timer = PrivacyRig::in<QTimer>(w, QStringLiteral("Timer2"));
        const double before = r.clock.now();
        QMetaObject::invokeMethod(timer, "timeout");
        QVERIFY(r.runUntil([&] { return r.port.writes.size() >= 3; }));
        QCOMPARE(r.sent(), QStringList({"81 01 04 76 00 00 00 00 00 00 00 00 00 FF",
                                        "81 01 04 76 01 00 00 00 00 00 00 00 00 FF",
                                        "81 01 04 76 02 00 00 00 00 00 00 00 00 FF"}));
        // two timed pauses between the three, on the clock
        QCOMPARE(r.clock.now() - before, 2 * FrmPrivacyA::kWaitAuto);
        ChainRig::pump();
        QCOMPARE(r.main->recvText->text().count(QStringLiteral("51 FF")), 3);

        // The switch: "ON" starts the timer, "OFF" stops it, and so on.
        auto* mode = PrivacyRig::in<QPushButton>(w, QStringLiteral("SettingMode"));
        QStringList seen;
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(mode, Qt::LeftButton);
            seen << QStringLiteral("%1 %2").arg(mode->text()).arg(timer->isActive());
        }
        QCOMPARE(seen, QStringList({"ON 1", "OFF 0", "ON 1"}));
    }

    void zoneRefusals_data()
    {
        QTest::addColumn<int>("zoneBox");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << 0 << "" << "Zone 1 X must be a hexadecimal number from 0 to FE.\n\"Privacy Set 1\" was not sent.";
        QTest::newRow("not hex") << 5 << "G" << "Zone 2 Y must be a hexadecimal number from 0 to FE.\n\"Privacy Set 1\" was not sent.";
        QTest::newRow("the terminator") << 10 << "FF" << "Zone 3 Width must be a hexadecimal number from 0 to FE.\n\"Privacy Set 2\" was not sent.";
        QTest::newRow("above a byte") << 23 << "100" << "Zone 6 Height must be a hexadecimal number from 0 to FE.\n\"Privacy Set 3\" was not sent.";
    }
    void zoneRefusals()
    {
        QFETCH(int, zoneBox);
        QFETCH(QString, text);
        QFETCH(QString, message);
        PrivacyRig r(QStringLiteral("tamiro-k5a"));
        FrmPrivacyA& w = r.zones();
        PrivacyRig::setText(w, QStringLiteral("Zones_%1").arg(zoneBox), text);
        w.PrivacySet();
        r.settle();
        // The refused set stays home, the other two still go.
        QCOMPARE(r.sent().size(), 2);
        QCOMPARE(r.messageTexts(), QStringList{"Warning|" + message});
        // While the operator has not answered, later runs add no second notice.
        r.messages.keepOpen = true;
        w.PrivacySet();
        r.settle();
        w.PrivacySet();
        r.settle();
        QCOMPARE(r.messages.boxes.size(), 1);
        r.messages.answerAll();
        w.PrivacySet();
        r.settle();
        QCOMPARE(r.messages.boxes.size(), 2);
    }

    void zonesOnAModelWithout()
    {
        PrivacyRig r(QStringLiteral("tamiro-k9b"));
        // The panel offers no zones for this model; opened all the same, the
        // camera refuses them.
        QVERIFY(!r.main->action(QStringLiteral("PrivacyAv"))->isEnabled());
        r.app->privacy().PrivacyAv();
        PrivacyRig::click(*r.app->privacy().privacyA(), QStringLiteral("CmdPrivacyOn"));
        ChainRig::pump();
        QCOMPARE(r.main->recvText->text(), QStringLiteral("90 60 02 FF \r\n"));
    }
};

QTEST_MAIN(TestPrivacy)
#include "test_privacy.moc"
