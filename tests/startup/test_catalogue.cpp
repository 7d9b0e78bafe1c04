#include "catalogue.h"

#include <QSet>
#include <QtTest>

using namespace peltro;

namespace {

QString changeText(const QList<PanelChange>& changes)
{
    static const char* const names[] = {"D", "PA", "PZ", "ST", "FR", "AS", "WB", "BW", "FM", "VP"};
    QStringList parts;
    for (PanelChange change : changes)
        parts << QLatin1String(names[static_cast<int>(change)]);
    return parts.join(QLatin1Char(' '));
}

int filledCount(const QStringList& list)
{
    int count = 0;
    for (const QString& text : list)
        count += text.isEmpty() ? 0 : 1;
    return count;
}

// The label sets a test can apply, by name, so data rows can choose them.
void applySets(LabelLists& lists, const QString& sets)
{
    for (const QString& set : sets.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (set == QLatin1String("startup")) fillStartupLabels(lists);
        else if (set == QLatin1String("10x")) applyLensSet(lists, LensSet::X10);
        else if (set == QLatin1String("18x")) applyLensSet(lists, LensSet::X18);
        else if (set == QLatin1String("25x")) applyLensSet(lists, LensSet::X25);
        else if (set == QLatin1String("p2")) applyP2Labels(lists);
        else if (set == QLatin1String("p3")) applyP3Labels(lists);
        else QFAIL(qPrintable(QStringLiteral("unknown label set ") + set));
    }
}

const QStringList& listByName(const LabelLists& lists, const QString& name)
{
    if (name == QLatin1String("expComp")) return lists.expComp;
    if (name == QLatin1String("gain")) return lists.gain;
    if (name == QLatin1String("shutter60")) return lists.shutter[0];
    if (name == QLatin1String("shutter50")) return lists.shutter[1];
    if (name == QLatin1String("iris")) return lists.iris;
    return lists.bright;
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void blockRows_data();
    void blockRows();
    void catalogueCoversEveryCode();
    void findModel_data();
    void findModel();
    void labels_data();
    void labels();
    void brightSetSizes();
    void p2ShutterShift();
    void labelAtBounds();
};

void TestCatalogue::blockRows_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("system");
    QTest::addColumn<int>("lens");
    QTest::addColumn<QString>("changes");

    const int x10 = int(LensSet::X10), x18 = int(LensSet::X18), x25 = int(LensSet::X25);
    QTest::newRow("first, both systems") << 0x11 << "TAMIRO-K9S/SP" << "NTSC/PAL" << x25 << "D PZ FM PA";
    QTest::newRow("auto slow shutter") << 0x16 << "TAMIRO-K3A" << "NTSC" << x18 << "ST D AS FR PZ FM";
    QTest::newRow("J4A without freeze") << 0x18 << "TAMIRO-J4A" << "NTSC" << x18 << "ST VP FR PZ FM";
    QTest::newRow("J4AP with freeze") << 0x19 << "TAMIRO-J4AP" << "PAL" << x18 << "ST VP PZ FM";
    QTest::newRow("10x lens") << 0x1C << "TAMIRO-J1A" << "NTSC" << x10 << "ST VP PZ FM";
    QTest::newRow("monochrome CCIR") << 0x1F << "TAMIRO-K3MCE" << "CCIR" << x18 << "ST D WB FR AS PZ FM";
    QTest::newRow("K9BP both systems") << 0x21 << "TAMIRO-K9BP" << "NTSC/PAL" << x25 << "D PA";
    QTest::newRow("last, EIA twin") << 0x2B << "TAMIRO-K3BCE" << "CCIR" << x18 << "BW D PA ST WB FR AS";
}

void TestCatalogue::blockRows()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QFETCH(QString, system);
    QFETCH(int, lens);
    QFETCH(QString, changes);

    const BlockModelRow* row = findBlockModel(std::uint8_t(code));
    QVERIFY(row);
    QCOMPARE(row->name, name);
    QCOMPARE(row->system, system);
    QCOMPARE(int(row->lens), lens);
    QCOMPARE(changeText(row->changes), changes);
    QCOMPARE(blockModelNames().value(code - kFirstBlockModel), name);
}

void TestCatalogue::catalogueCoversEveryCode()
{
    QCOMPARE(blockCatalogue().size(), 27);
    for (int code = kFirstBlockModel; code <= kLastBlockModel; ++code) {
        const BlockModelRow* row = findBlockModel(std::uint8_t(code));
        QVERIFY2(row && row->code == code, qPrintable(QString::number(code, 16)));
    }
    QVERIFY(!findBlockModel(kFirstBlockModel - 1));
    QVERIFY(!findBlockModel(kLastBlockModel + 1));

    const QList<ModelId> models = allModels();
    QCOMPARE(models.size(), 30);
    QSet<QString> shortNames;
    for (const ModelId& model : models)
        shortNames.insert(model.shortName);
    QCOMPARE(shortNames.size(), models.size());   // every model can be chosen by name
    QCOMPARE(panTiltModelNames(), (QStringList{"QUORIN-P1", "QUORIN-P2", "QUORIN-P3"}));
}

void TestCatalogue::findModel_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("name");       // empty when nothing is found
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<int>("versionBytes");   // vendor low << 8 | model low

    QTest::newRow("P1 short") << "quorin-p1" << "QUORIN-P1" << "quorin-p1" << 0x0102;
    QTest::newRow("P2 full") << "QUORIN-P2" << "QUORIN-P2" << "quorin-p2" << 0x010D;
    QTest::newRow("P3 mixed case") << "Quorin-P3" << "QUORIN-P3" << "quorin-p3" << 0x010E;
    QTest::newRow("short") << "tamiro-k9s" << "TAMIRO-K9S/SP" << "tamiro-k9s" << 0x2011;
    QTest::newRow("short upper") << "TAMIRO-K9S" << "TAMIRO-K9S/SP" << "tamiro-k9s" << 0x2011;
    QTest::newRow("full lower") << "tamiro-k9s/sp" << "TAMIRO-K9S/SP" << "tamiro-k9s" << 0x2011;
    QTest::newRow("last block") << "tamiro-k3bce" << "TAMIRO-K3BCE" << "tamiro-k3bce" << 0x202B;
    QTest::newRow("prefix of a name") << "tamiro-k9" << "" << "" << 0;
    QTest::newRow("wrong suffix") << "tamiro-k9s/xx" << "" << "" << 0;
    QTest::newRow("unknown") << "quorin-p4" << "" << "" << 0;
    QTest::newRow("empty") << "" << "" << "" << 0;
}

void TestCatalogue::findModel()
{
    QFETCH(QString, query);
    QFETCH(QString, name);
    QFETCH(QString, shortName);
    QFETCH(int, versionBytes);

    const std::optional<ModelId> model = peltro::findModel(query);
    QCOMPARE(model.has_value(), !name.isEmpty());
    if (!model)
        return;
    QCOMPARE(model->name, name);
    QCOMPARE(model->shortName, shortName);
    QCOMPARE(model->vendorLow << 8 | model->modelLow, versionBytes);
    QCOMPARE(model->family == Family::Quorin, model->vendorLow == kVendorQuorin);
}

void TestCatalogue::labels_data()
{
    QTest::addColumn<QString>("sets");   // applied in order to fresh lists
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");

    QTest::newRow("exp comp lowest") << "startup" << "expComp" << 0 << "-7/-10.5dB";
    QTest::newRow("exp comp zero") << "startup" << "expComp" << 7 << "0/0dB";
    QTest::newRow("exp comp whole dB") << "startup" << "expComp" << 9 << "2/3dB";
    QTest::newRow("gain highest") << "startup" << "gain" << 15 << "28dB";
    QTest::newRow("shutter 60 row 7") << "startup" << "shutter60" << 7 << "1/90";
    QTest::newRow("shutter 50 row 14") << "startup" << "shutter50" << 14 << "1/600";
    QTest::newRow("startup leaves iris") << "startup" << "iris" << 0 << "";

    QTest::newRow("10x iris first stop") << "10x" << "iris" << 1 << "F28";
    QTest::newRow("10x bright last") << "10x" << "bright" << 23 << "F1.8/18dB";
    QTest::newRow("iris 18 stays empty") << "10x 18x 25x p2 p3" << "iris" << 18 << "";
    QTest::newRow("18x iris F4.0") << "18x" << "iris" << 11 << "F4.0";
    QTest::newRow("18x iris F2.0") << "18x" << "iris" << 15 << "F2.0";
    QTest::newRow("18x bright F4") << "18x" << "bright" << 11 << "F4/0dB";
    QTest::newRow("18x bright F2") << "18x" << "bright" << 15 << "F2/0dB";
    QTest::newRow("18x bright gain run") << "18x" << "bright" << 18 << "F1.4/2dB";
    QTest::newRow("25x iris F2") << "25x" << "iris" << 16 << "F2";
    QTest::newRow("25x bright F2.0") << "25x" << "bright" << 16 << "F2.0/0dB";
    QTest::newRow("25x bright last") << "25x" << "bright" << 31 << "F1.6/28dB";

    QTest::newRow("p2 gain 3 dB steps") << "startup p2" << "gain" << 7 << "18dB";
    QTest::newRow("p2 keeps gain above") << "startup p2" << "gain" << 8 << "14dB";
    QTest::newRow("p2 fills exp comp") << "p2" << "expComp" << 14 << "7/10.5dB";
    QTest::newRow("p2 keeps 18x bright tail") << "18x p2" << "bright" << 31 << "F1.4/28dB";
    QTest::newRow("p3 restores shutter") << "p2 p3" << "shutter50" << 0 << "1/1";
    QTest::newRow("p3 18x bright") << "p2 p3" << "bright" << 31 << "F1.4/28dB";
}

void TestCatalogue::labels()
{
    QFETCH(QString, sets);
    QFETCH(QString, list);
    QFETCH(int, index);
    QFETCH(QString, text);

    LabelLists lists;
    applySets(lists, sets);
    QCOMPARE(listByName(lists, list).at(index), text);
}

void TestCatalogue::brightSetSizes()
{
    struct Case { LensSet lens; int bright; };
    for (const Case& c : {Case{LensSet::X10, 24}, Case{LensSet::X18, 32}, Case{LensSet::X25, 32}}) {
        LabelLists lists;
        applyLensSet(lists, c.lens);
        QCOMPARE(filledCount(lists.bright), c.bright);
        QCOMPARE(filledCount(lists.iris), 18);
        QCOMPARE(lists.iris.at(0), QStringLiteral("Close"));
        QCOMPARE(lists.bright.at(0), QStringLiteral("CLOSE/0dB"));
    }
    LabelLists lists;
    QCOMPARE((QList<qsizetype>{lists.expComp.size(), lists.gain.size(), lists.shutter[0].size(),
                               lists.shutter[1].size(), lists.iris.size(), lists.bright.size()}),
             (QList<qsizetype>{15, 16, 22, 22, 19, 33}));
    applyP3Labels(lists);
    applyP2Labels(lists);
    QCOMPARE(lists.bright.size(), 33);   // no set grows a list
    QVERIFY(lists.bright.at(32).isEmpty());
}

void TestCatalogue::p2ShutterShift()
{
    LabelLists lists;
    fillStartupLabels(lists);
    applyP2Labels(lists);
    QCOMPARE(lists.shutter[0].at(0), QStringLiteral("1/4"));
    QCOMPARE(lists.shutter[1].at(0), QStringLiteral("1/3"));
    QCOMPARE(lists.shutter[0].at(9), QStringLiteral("1/250"));
    QCOMPARE(lists.shutter[1].at(9), QStringLiteral("1/215"));
    QCOMPARE(lists.shutter[0].at(19), QStringLiteral("1/10000"));
    QCOMPARE(lists.shutter[1].at(19), QStringLiteral("1/10000"));
    // Rows past the P2's range keep the standard texts.
    for (int column = 0; column < 2; ++column) {
        QCOMPARE(lists.shutter[column].at(20), QStringLiteral("1/6000"));
        QCOMPARE(lists.shutter[column].at(21), QStringLiteral("1/10000"));
    }

    LabelLists fresh;
    applyP2Labels(fresh);
    QVERIFY(fresh.shutter[0].at(20).isEmpty());
    QVERIFY(fresh.shutter[1].at(21).isEmpty());
    QCOMPARE(filledCount(fresh.gain), 8);
}

void TestCatalogue::labelAtBounds()
{
    LabelLists lists;
    fillStartupLabels(lists);
    QCOMPARE(labelAt(lists.gain, 0), std::optional<QString>(QStringLiteral("-3dB")));
    QCOMPARE(labelAt(lists.gain, 15), std::optional<QString>(QStringLiteral("28dB")));
    QCOMPARE(labelAt(lists.iris, 18), std::optional<QString>(QString()));
    QVERIFY(!labelAt(lists.gain, 16).has_value());
    QVERIFY(!labelAt(lists.gain, -1).has_value());
    QVERIFY(!labelAt(lists.bright, 33).has_value());
    QVERIFY(!labelAt(QStringList(), 0).has_value());
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
