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
    return int(std::count_if(list.begin(), list.end(), [](const QString& text) { return !text.isEmpty(); }));
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void blockRows_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("system");
        QTest::addColumn<int>("lens");
        QTest::addColumn<QString>("changes");
        const int x10 = int(LensSet::X10), x18 = int(LensSet::X18), x25 = int(LensSet::X25);
        QTest::newRow("first, both systems") << 0x11 << "TAMIRO-K9S/SP" << "NTSC/PAL" << x25 << "D PZ FM PA";
        QTest::newRow("standard") << 0x12 << "TAMIRO-K5A" << "NTSC" << x18 << "ST D PZ FM";
        QTest::newRow("auto slow shutter") << 0x16 << "TAMIRO-K3A" << "NTSC" << x18 << "ST D AS FR PZ FM";
        QTest::newRow("J4A without freeze") << 0x18 << "TAMIRO-J4A" << "NTSC" << x18 << "ST VP FR PZ FM";
        QTest::newRow("J4AP with freeze") << 0x19 << "TAMIRO-J4AP" << "PAL" << x18 << "ST VP PZ FM";
        QTest::newRow("VP, auto slow shutter") << 0x1A << "TAMIRO-J3A" << "NTSC" << x18 << "ST VP FR AS PZ FM";
        QTest::newRow("10x lens") << 0x1C << "TAMIRO-J1A" << "NTSC" << x10 << "ST VP PZ FM";
        QTest::newRow("monochrome CCIR") << 0x1F << "TAMIRO-K3MCE" << "CCIR" << x18 << "ST D WB FR AS PZ FM";
        QTest::newRow("K9BP both systems") << 0x21 << "TAMIRO-K9BP" << "NTSC/PAL" << x25 << "D PA";
        QTest::newRow("block, shutter") << 0x24 << "TAMIRO-K5B" << "NTSC" << x18 << "D PA ST";
        QTest::newRow("block, auto slow shutter") << 0x28 << "TAMIRO-K3B" << "NTSC" << x18 << "D PA ST FR AS";
        QTest::newRow("last, EIA twin") << 0x2B << "TAMIRO-K3BCE" << "CCIR" << x18 << "BW D PA ST WB FR AS";
    }

    void blockRows()
    {
        QFETCH(int, code);
        QFETCH(QString, name);
        QFETCH(QString, system);
        QFETCH(int, lens);
        QFETCH(QString, changes);
        const BlockModelRow* row = findBlockModel(std::uint8_t(code));
        QVERIFY(row);
        QCOMPARE(QStringList({row->name, row->system, changeText(row->changes)}), QStringList({name, system, changes}));
        QCOMPARE(int(row->lens), lens);
        QCOMPARE(blockModelNames().value(code - kFirstBlockModel), name);
    }

    void catalogueCoversEveryCode()
    {
        QCOMPARE(blockCatalogue().size(), 27);
        for (int code = kFirstBlockModel; code <= kLastBlockModel; ++code) {
            const BlockModelRow* row = findBlockModel(std::uint8_t(code));
            QVERIFY2(row && row->code == code, qPrintable(QString::number(code, 16)));
        }
        QVERIFY(!findBlockModel(kFirstBlockModel - 1));
        QVERIFY(!findBlockModel(kLastBlockModel + 1));

        const QList<ModelId> models = allModels();
        QSet<QString> shortNames;
        for (const ModelId& model : models)
            shortNames.insert(model.shortName);
        QCOMPARE(shortNames.size(), 30);  // every model can be chosen by name
        QCOMPARE(models.size(), 30);
        QCOMPARE(panTiltModelNames(), (QStringList{"QUORIN-P1", "QUORIN-P2", "QUORIN-P3"}));
    }

    void findModel_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("name");      // empty when nothing is found
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<int>("versionBytes");  // vendor low << 8 | model low
        QTest::newRow("P1 short") << "quorin-p1" << "QUORIN-P1" << "quorin-p1" << 0x0102;
        QTest::newRow("P2 full") << "QUORIN-P2" << "QUORIN-P2" << "quorin-p2" << 0x010D;
        QTest::newRow("P3 mixed case") << "Quorin-P3" << "QUORIN-P3" << "quorin-p3" << 0x010E;
        QTest::newRow("short upper") << "TAMIRO-K9S" << "TAMIRO-K9S/SP" << "tamiro-k9s" << 0x2011;
        QTest::newRow("full lower") << "tamiro-k9s/sp" << "TAMIRO-K9S/SP" << "tamiro-k9s" << 0x2011;
        QTest::newRow("last block") << "tamiro-k3bce" << "TAMIRO-K3BCE" << "tamiro-k3bce" << 0x202B;
        QTest::newRow("prefix of a name") << "tamiro-k9" << "" << "" << 0;
        QTest::newRow("wrong suffix") << "tamiro-k9s/xx" << "" << "" << 0;
        QTest::newRow("unknown") << "quorin-p4" << "" << "" << 0;
        QTest::newRow("empty") << "" << "" << "" << 0;
    }

    void findModel()
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

    void labels_data()
    {
        QTest::addColumn<QString>("sets");  // applied in order to fresh lists
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        auto row = [](const char* sets, const char* list, int index, const char* text) {
            QTest::addRow("%s: %s %d", sets, list, index) << sets << list << index << text;
        };
        row("startup", "expComp", 0, "-7/-10.5dB");
        row("startup", "iris", 0, "");  // start-up leaves iris and bright to the lens
        row("10x", "bright", 23, "F1.8/18dB");
        row("10x 18x 25x p2 p3", "iris", 18, "");
        row("18x", "iris", 11, "F4.0");  // "F4" in the bright set
        row("25x", "iris", 16, "F2");    // "F2.0" in the bright set
        row("startup p2", "gain", 7, "18dB");    // 3 dB steps
        row("startup p2", "gain", 8, "14dB");    // rows above the P2's kept
        row("18x p2", "bright", 31, "F1.4/28dB");  // the lens's bright tail kept
        row("p2 p3", "shutter50", 0, "1/1");      // the P3 restores the shutter
        row("p2 p3", "bright", 31, "F1.4/28dB");
    }

    void labels()
    {
        QFETCH(QString, sets);
        QFETCH(QString, list);
        QFETCH(int, index);
        QFETCH(QString, text);
        LabelLists lists;
        for (const QString& set : sets.split(QLatin1Char(' '))) {
            if (set == QLatin1String("startup")) fillStartupLabels(lists);
            else if (set == QLatin1String("10x")) applyLensSet(lists, LensSet::X10);
            else if (set == QLatin1String("18x")) applyLensSet(lists, LensSet::X18);
            else if (set == QLatin1String("25x")) applyLensSet(lists, LensSet::X25);
            else if (set == QLatin1String("p2")) applyP2Labels(lists);
            else if (set == QLatin1String("p3")) applyP3Labels(lists);
            else QFAIL(qPrintable(QStringLiteral("unknown label set ") + set));
        }
        const QMap<QString, QStringList> byName{{"expComp", lists.expComp}, {"gain", lists.gain},
                                                {"shutter60", lists.shutter[0]}, {"shutter50", lists.shutter[1]},
                                                {"iris", lists.iris}, {"bright", lists.bright}};
        QVERIFY(byName.contains(list));
        QCOMPARE(byName[list].at(index), text);
    }

    void listSizes()
    {
        for (auto [lens, bright] : {std::pair{LensSet::X10, 24}, {LensSet::X18, 32}, {LensSet::X25, 32}}) {
            LabelLists lists;
            applyLensSet(lists, lens);
            QCOMPARE(filledCount(lists.bright), bright);
            QCOMPARE(filledCount(lists.iris), 18);
            QCOMPARE(lists.iris.at(0) + ' ' + lists.bright.at(0), QStringLiteral("Close CLOSE/0dB"));
        }
        LabelLists lists;
        QCOMPARE((QList<qsizetype>{lists.expComp.size(), lists.gain.size(), lists.shutter[0].size(),
                                   lists.shutter[1].size(), lists.iris.size(), lists.bright.size()}),
                 (QList<qsizetype>{15, 16, 22, 22, 19, 33}));
        applyP3Labels(lists);
        applyP2Labels(lists);
        QCOMPARE(lists.bright.size(), 33);  // no set grows a list
        QVERIFY(lists.bright.at(32).isEmpty());
    }

    void p2ShutterShift()
    {
        LabelLists lists;
        fillStartupLabels(lists);
        applyP2Labels(lists);
        // Rows past the P2's range keep the standard texts.
        for (const QStringList& column : lists.shutter)
            QCOMPARE(column.mid(19), QStringList({"1/10000", "1/6000", "1/10000"}));
        QCOMPARE(QStringList({lists.shutter[0].at(0), lists.shutter[1].at(0), lists.shutter[0].at(9),
                              lists.shutter[1].at(9)}),
                 QStringList({"1/4", "1/3", "1/250", "1/215"}));

        LabelLists fresh;
        applyP2Labels(fresh);
        QVERIFY(fresh.shutter[0].at(20).isEmpty() && fresh.shutter[1].at(21).isEmpty());
        QCOMPARE(filledCount(fresh.gain), 8);
    }

    void labelAtBounds()
    {
        LabelLists lists;
        fillStartupLabels(lists);
        QCOMPARE(labelAt(lists.gain, 15), std::optional<QString>(QStringLiteral("28dB")));
        QCOMPARE(labelAt(lists.iris, 18), std::optional<QString>(QString()));
        QVERIFY(!labelAt(lists.gain, 16).has_value());
        QVERIFY(!labelAt(lists.gain, -1).has_value());
        QVERIFY(!labelAt(QStringList(), 0).has_value());
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
