#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

namespace peltro {

// What a camera says about itself in its version answer, and what the panel
// makes of it: the two families, the block-camera catalogue with its label
// sets and panel changes, and the label lists of the exposure value boxes.

enum class Family { Quorin, Tamiro };
enum class LensSet { X10, X18, X25 };

inline constexpr std::uint8_t kVendorQuorin = 0x01;
inline constexpr std::uint8_t kVendorTamiro = 0x20;
inline constexpr std::uint8_t kModelP1 = 0x02;
inline constexpr std::uint8_t kModelP2 = 0x0D;
inline constexpr std::uint8_t kModelP3 = 0x0E;
inline constexpr std::uint8_t kFirstBlockModel = 0x11;
inline constexpr std::uint8_t kLastBlockModel = 0x2B;

// Panel-change groups of a block-camera row, applied in the listed order.
enum class PanelChange { D, PA, PZ, ST, FR, AS, WB, BW, FM, VP };

struct BlockModelRow {
    std::uint8_t code;          // model low byte of the version answer
    QString name;               // "TAMIRO-J1A"
    QString system;             // "NTSC", "PAL", "NTSC/PAL", "EIA", "CCIR"
    LensSet lens;
    QList<PanelChange> changes; // in the order they are applied
};

// The 27 block-camera rows, codes 0x11..0x2B in order.
const QList<BlockModelRow>& blockCatalogue();
// The row of a model code, or nullptr outside the catalogue.
const BlockModelRow* findBlockModel(std::uint8_t code);

QStringList blockModelNames();    // index = code - 0x11
QStringList panTiltModelNames();  // "QUORIN-P1", "QUORIN-P2", "QUORIN-P3"

// What a version answer (y0 50 ... FF, ten bytes) says of the camera: the
// family by its vendor byte, the model code, its name where the catalogue
// knows it, and the ROM version.
struct Identity {
    Family family = Family::Tamiro;
    std::uint8_t vendor = 0;
    std::uint8_t model = 0;
    QString name;               // empty for a code the catalogue does not know
    int romHigh = 0;
    int romLow = 0;
    bool panTilt() const { return family == Family::Quorin; }
};
// A version answer of ten bytes from a camera (the source byte, 0x50 and the
// terminator in place); none for anything else.
bool isVersionAnswer(const QByteArray& answer);
// The identity a version answer gives; any vendor other than the pan/tilt
// cameras' counts as a block camera.
std::optional<Identity> identityOf(const QByteArray& versionAnswer);

// Every model the panel knows, by family, with the vendor and model low bytes
// of its version answer.
struct ModelId {
    Family family;
    std::uint8_t vendorLow;
    std::uint8_t modelLow;
    QString name;                 // catalogue name, "QUORIN-P3", "TAMIRO-K9S/SP"
    QString shortName;            // lower case, up to any '/': "quorin-p3", "tamiro-k9s"
};
QList<ModelId> allModels();       // the three pan/tilt models, then the 27 block cameras
// A model by short or full name, case-insensitive ("tamiro-k9s", "TAMIRO-K9S/SP").
std::optional<ModelId> findModel(const QString& name);

// The texts shown beside the exposure sliders, indexed by slider position.
// Slots a set does not fill keep their earlier text.
struct LabelLists {
    LabelLists();
    QStringList expComp;                 // 15
    QStringList gain;                    // 16
    std::array<QStringList, 2> shutter;  // 22 rows each; [0] 60-field, [1] 50-field systems
    QStringList iris;                    // 19
    QStringList bright;                  // 33
};

void fillStartupLabels(LabelLists& lists);           // exposure compensation, standard gain and shutter
void applyLensSet(LabelLists& lists, LensSet lens);  // iris and bright sets
void applyP2Labels(LabelLists& lists);               // the QUORIN-P2 sets
void applyP3Labels(LabelLists& lists);               // the QUORIN-P3 sets

// The entry at index, or nothing when index lies outside the list.
std::optional<QString> labelAt(const QStringList& list, int index);

} // namespace peltro
