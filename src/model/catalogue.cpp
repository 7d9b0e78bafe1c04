#include "catalogue.h"

#include <QtGlobal>

namespace peltro {

namespace {

// Writes the texts of a set into a list from `first` on; every other slot
// keeps what an earlier set wrote there.
void writeSet(QStringList& list, const QStringList& set, int first = 0)
{
    Q_ASSERT(first + set.size() <= list.size());
    for (int i = 0; i < set.size() && first + i < list.size(); ++i)
        list[first + i] = set[i];
}

// "-7/-10.5dB" .. "7/10.5dB": steps of the exposure compensation with their
// gain equivalent of 1.5 dB a step.
QStringList expCompSet()
{
    QStringList set;
    for (int step = -7; step <= 7; ++step)
        set << QStringLiteral("%1/%2dB").arg(step).arg(QString::number(step * 1.5));
    return set;
}

// "-3dB", "0dB", then `count` rising gains of `stepDb` each.
QStringList gainSet(int stepDb, int count)
{
    QStringList set{QStringLiteral("-3dB"), QStringLiteral("0dB")};
    for (int i = 1; i <= count; ++i)
        set << QStringLiteral("%1dB").arg(i * stepDb);
    return set;
}

const QStringList& standardGain()
{
    static const QStringList set = gainSet(2, 14);   // up to 28 dB
    return set;
}

const QStringList& p2Gain()
{
    static const QStringList set = gainSet(3, 6);    // up to 18 dB
    return set;
}

// Shutter speeds by row for 60-field and 50-field systems.
const std::array<QStringList, 2>& standardShutter()
{
    static const std::array<QStringList, 2> set{
        QStringList{"1/1", "1/2", "1/4", "1/8", "1/15", "1/30", "1/60", "1/90",
                    "1/100", "1/125", "1/180", "1/250", "1/350", "1/500", "1/725", "1/1000",
                    "1/1500", "1/2000", "1/3000", "1/4000", "1/6000", "1/10000"},
        QStringList{"1/1", "1/2", "1/3", "1/6", "1/12", "1/25", "1/50", "1/75",
                    "1/100", "1/120", "1/150", "1/215", "1/300", "1/425", "1/600", "1/1000",
                    "1/1250", "1/1750", "1/2500", "1/3500", "1/6000", "1/10000"},
    };
    return set;
}

// The QUORIN-P2 has no 1/1 and 1/2 shutter: its rows start at the third speed.
constexpr int kP2ShutterSkip = 2;
constexpr int kP2ShutterRows = 20;

// Iris positions as the iris value box shows them.
const QStringList& irisSet(LensSet lens)
{
    static const QStringList x10{"Close", "F28", "F22", "F19", "F16", "F14", "F11", "F9.6", "F8",
                                 "F6.8", "F5.6", "F4.8", "F4", "F3.4", "F2.8", "F2.4", "F2", "F1.8"};
    // The 18x camera writes "F4.0" and "F2.0" here but not in its bright set.
    static const QStringList x18{"Close", "F22", "F19", "F16", "F14", "F11", "F9.6", "F8", "F6.8",
                                 "F5.6", "F4.8", "F4.0", "F3.4", "F2.8", "F2.4", "F2.0", "F1.6", "F1.4"};
    static const QStringList x25{"Close", "F28", "F22", "F19", "F16", "F14", "F11", "F9.6", "F8",
                                 "F6.8", "F5.6", "F4.8", "F4", "F3.4", "F2.8", "F2.4", "F2", "F1.6"};
    switch (lens) {
    case LensSet::X10: return x10;
    case LensSet::X18: return x18;
    case LensSet::X25: return x25;
    }
    Q_UNREACHABLE();
}

// Bright positions: every iris stop at 0 dB, then the widest stop with the
// gain rising `stepDb` at a time up to `maxDb`. The stop texts differ from the
// iris set in places ("CLOSE", "F4" for the 18x, "F2.0" for the 25x).
QStringList brightSet(const QStringList& stops, int stepDb, int maxDb)
{
    QStringList set;
    for (const QString& stop : stops)
        set << stop + QStringLiteral("/0dB");
    for (int db = stepDb; db <= maxDb; db += stepDb)
        set << QStringLiteral("%1/%2dB").arg(stops.last()).arg(db);
    return set;
}

const QStringList& brightSet(LensSet lens)
{
    static const QStringList x10 = brightSet(
        {"CLOSE", "F28", "F22", "F19", "F16", "F14", "F11", "F9.6", "F8",
         "F6.8", "F5.6", "F4.8", "F4", "F3.4", "F2.8", "F2.4", "F2", "F1.8"},
        3, 18);
    static const QStringList x18 = brightSet(
        {"CLOSE", "F22", "F19", "F16", "F14", "F11", "F9.6", "F8", "F6.8",
         "F5.6", "F4.8", "F4", "F3.4", "F2.8", "F2.4", "F2", "F1.6", "F1.4"},
        2, 28);
    static const QStringList x25 = brightSet(
        {"CLOSE", "F28", "F22", "F19", "F16", "F14", "F11", "F9.6", "F8",
         "F6.8", "F5.6", "F4.8", "F4", "F3.4", "F2.8", "F2.4", "F2.0", "F1.6"},
        2, 28);
    switch (lens) {
    case LensSet::X10: return x10;
    case LensSet::X18: return x18;
    case LensSet::X25: return x25;
    }
    Q_UNREACHABLE();
}

QString shortNameOf(const QString& name)
{
    return name.section(QLatin1Char('/'), 0, 0).toLower();
}

} // namespace

const QList<BlockModelRow>& blockCatalogue()
{
    using L = LensSet;
    using enum PanelChange;
    static const QList<BlockModelRow> rows{
        {0x11, "TAMIRO-K9S/SP", "NTSC/PAL", L::X25, {D, PZ, FM, PA}},
        {0x12, "TAMIRO-K5A", "NTSC", L::X18, {ST, D, PZ, FM}},
        {0x13, "TAMIRO-K5AP", "PAL", L::X18, {ST, D, PZ, FM}},
        {0x14, "TAMIRO-K4A", "NTSC", L::X18, {ST, D, PZ, FM}},
        {0x15, "TAMIRO-K4AP", "PAL", L::X18, {ST, D, PZ, FM}},
        {0x16, "TAMIRO-K3A", "NTSC", L::X18, {ST, D, AS, FR, PZ, FM}},
        {0x17, "TAMIRO-K3AP", "PAL", L::X18, {ST, D, AS, FR, PZ, FM}},
        // The J4A has no freeze; its PAL twin has.
        {0x18, "TAMIRO-J4A", "NTSC", L::X18, {ST, VP, FR, PZ, FM}},
        {0x19, "TAMIRO-J4AP", "PAL", L::X18, {ST, VP, PZ, FM}},
        {0x1A, "TAMIRO-J3A", "NTSC", L::X18, {ST, VP, FR, AS, PZ, FM}},
        {0x1B, "TAMIRO-J3AP", "PAL", L::X18, {ST, VP, FR, AS, PZ, FM}},
        {0x1C, "TAMIRO-J1A", "NTSC", L::X10, {ST, VP, PZ, FM}},
        {0x1D, "TAMIRO-J1AP", "PAL", L::X10, {ST, VP, PZ, FM}},
        {0x1E, "TAMIRO-K3M", "EIA", L::X18, {ST, D, WB, FR, AS, PZ, FM}},
        {0x1F, "TAMIRO-K3MCE", "CCIR", L::X18, {ST, D, WB, FR, AS, PZ, FM}},
        {0x20, "TAMIRO-K9B", "NTSC/PAL", L::X25, {D, PA}},
        {0x21, "TAMIRO-K9BP", "NTSC/PAL", L::X25, {D, PA}},
        {0x22, "TAMIRO-K8B", "NTSC", L::X25, {D, PA}},
        {0x23, "TAMIRO-K8BP", "PAL", L::X25, {D, PA}},
        {0x24, "TAMIRO-K5B", "NTSC", L::X18, {D, PA, ST}},
        {0x25, "TAMIRO-K5BP", "PAL", L::X18, {D, PA, ST}},
        {0x26, "TAMIRO-K4B", "NTSC", L::X18, {D, PA, ST}},
        {0x27, "TAMIRO-K4BP", "PAL", L::X18, {D, PA, ST}},
        {0x28, "TAMIRO-K3B", "NTSC", L::X18, {D, PA, ST, FR, AS}},
        {0x29, "TAMIRO-K3BP", "PAL", L::X18, {D, PA, ST, FR, AS}},
        {0x2A, "TAMIRO-K3MB", "EIA", L::X18, {BW, D, PA, ST, WB, FR, AS}},
        {0x2B, "TAMIRO-K3BCE", "CCIR", L::X18, {BW, D, PA, ST, WB, FR, AS}},
    };
    return rows;
}

const BlockModelRow* findBlockModel(std::uint8_t code)
{
    if (code < kFirstBlockModel || code > kLastBlockModel)
        return nullptr;
    const BlockModelRow& row = blockCatalogue().at(code - kFirstBlockModel);
    Q_ASSERT(row.code == code);
    return &row;
}

QStringList blockModelNames()
{
    QStringList names;
    for (const BlockModelRow& row : blockCatalogue())
        names << row.name;
    return names;
}

QStringList panTiltModelNames()
{
    return {QStringLiteral("QUORIN-P1"), QStringLiteral("QUORIN-P2"), QStringLiteral("QUORIN-P3")};
}

QList<ModelId> allModels()
{
    static const QList<ModelId> models = [] {
        QList<ModelId> list;
        const QStringList panTilt = panTiltModelNames();
        const std::uint8_t panTiltCodes[] = {kModelP1, kModelP2, kModelP3};
        for (int i = 0; i < panTilt.size(); ++i)
            list.append({Family::Quorin, kVendorQuorin, panTiltCodes[i], panTilt[i],
                         shortNameOf(panTilt[i])});
        for (const BlockModelRow& row : blockCatalogue())
            list.append({Family::Tamiro, kVendorTamiro, row.code, row.name, shortNameOf(row.name)});
        return list;
    }();
    return models;
}

std::optional<ModelId> findModel(const QString& name)
{
    for (const ModelId& model : allModels()) {
        if (name.compare(model.shortName, Qt::CaseInsensitive) == 0
            || name.compare(model.name, Qt::CaseInsensitive) == 0)
            return model;
    }
    return std::nullopt;
}

LabelLists::LabelLists()
    : expComp(15, QString())
    , gain(16, QString())
    , shutter{QStringList(22, QString()), QStringList(22, QString())}
    , iris(19, QString())
    , bright(33, QString())
{
}

void fillStartupLabels(LabelLists& lists)
{
    writeSet(lists.expComp, expCompSet());
    writeSet(lists.gain, standardGain());
    for (int column = 0; column < 2; ++column)
        writeSet(lists.shutter[column], standardShutter()[column]);
}

void applyLensSet(LabelLists& lists, LensSet lens)
{
    writeSet(lists.iris, irisSet(lens));
    writeSet(lists.bright, brightSet(lens));
}

void applyP2Labels(LabelLists& lists)
{
    writeSet(lists.expComp, expCompSet());
    writeSet(lists.gain, p2Gain());
    for (int column = 0; column < 2; ++column)
        writeSet(lists.shutter[column],
                 standardShutter()[column].mid(kP2ShutterSkip, kP2ShutterRows));
    applyLensSet(lists, LensSet::X10);
}

void applyP3Labels(LabelLists& lists)
{
    fillStartupLabels(lists);
    applyLensSet(lists, LensSet::X18);
}

std::optional<QString> labelAt(const QStringList& list, int index)
{
    if (index < 0 || index >= list.size())
        return std::nullopt;
    return list.at(index);
}

bool isVersionAnswer(const QByteArray& v)
{
    return v.size() >= 10 && (quint8(v[0]) & 0x80) && quint8(v[1]) == 0x50 && quint8(v[9]) == 0xFF;
}

std::optional<Identity> identityOf(const QByteArray& v)
{
    if (!isVersionAnswer(v))
        return std::nullopt;
    Identity id;
    id.vendor = quint8(v[3]);
    id.model = quint8(v[5]);
    id.romHigh = quint8(v[6]);
    id.romLow = quint8(v[7]);
    if (id.vendor == kVendorQuorin) {
        id.family = Family::Quorin;
        const QStringList names = panTiltModelNames();
        const std::uint8_t codes[] = {kModelP1, kModelP2, kModelP3};
        for (int i = 0; i < 3; ++i)
            if (id.model == codes[i])
                id.name = names[i];
    } else {
        id.family = Family::Tamiro;
        if (id.vendor == kVendorTamiro)
            if (const BlockModelRow* row = findBlockModel(id.model))
                id.name = row->name;
    }
    return id;
}

} // namespace peltro
