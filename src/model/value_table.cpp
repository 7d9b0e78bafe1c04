#include "value_table.h"

#include "main_layout.h"

#include <QtGlobal>

namespace peltro {

namespace {

using K = SliderKind;
using G = Glyph;
using namespace layout;

constexpr double kButton = 345;   // square picture buttons
constexpr double kEdge = 120;     // inner margin of a frame

// A standard row of a frame of the given width at top: the value box at
// the right above the slider, the down button, the slider, the up button.
constexpr double sliderLeft = kEdge + kButton + 45;
constexpr double sliderWidth(double frameWidth)
{
    return frameWidth - 2 * (kButton + 45) - 2 * kEdge;
}
constexpr double upLeft(double frameWidth)
{
    return frameWidth - kEdge - kButton;
}
constexpr double boxLeft(double frameWidth)
{
    return frameWidth - 1020;
}

constexpr double kAE = kFmAEControl.width;
constexpr double kWB = kFmWB.width;
constexpr double kAP = kFmAPC.width;
constexpr double kZoom = kFmZoom.width;
constexpr double kVP = kFrame5.width;

// Rows of the exposure and white-balance frames, by their top.
constexpr double kIrisRow = 240, kGainRow = 1020, kShutterRow = 1800, kBrightRow = 2580, kExpCompRow = 3360;
constexpr double kRGainRow = 240, kBGainRow = 930;

SliderDef row(const char* name, int min, int max, int command, bool four, const char* frame, double width,
              double top, const char* box)
{
    return {name, min, max, command, four, K::Plain, {frame, sliderLeft, top + 300, sliderWidth(width)}, box,
            {frame, boxLeft(width), top - 60, 900}};
}

StepDef down(const char* name, int command, G glyph, const char* text, const char* frame, double top)
{
    return {name, {{{std::uint8_t(command), 0x03}}}, 1, glyph, text, nullptr, {frame, kEdge, top + 285, kButton}};
}

StepDef up(const char* name, int command, G glyph, const char* text, const char* frame, double width, double top)
{
    return {name, {{{std::uint8_t(command), 0x02}}}, 1, glyph, text, nullptr,
            {frame, upLeft(width), top + 285, kButton}};
}

} // namespace

const QList<SliderDef>& sliderDefs()
{
    static const QList<SliderDef> defs{
        {"ApertureSlider", 0, 15, 0x42, true, K::Plain, {"FmAPC", sliderLeft, 615, sliderWidth(kAP)},
         "ApertureValue", {"FmAPC", boxLeft(kAP), 225, 900}},
        row("RGainSlider", 0, 255, 0x43, false, "FmWB", kWB, kRGainRow, "RGValue"),
        row("BGainSlider", 0, 255, 0x44, false, "FmWB", kWB, kBGainRow, "BGValue"),
        row("ExpCompSlider", 0, 14, 0x4E, true, "FmAEControl", kAE, kExpCompRow, "ExpCompValue"),
        row("BrightSlider", 0, 31, 0x4D, true, "FmAEControl", kAE, kBrightRow, "BrightValue"),
        row("ShutterSlider", 0, 21, 0x4A, true, "FmAEControl", kAE, kShutterRow, "ShutterValue"),
        row("GainSlider", 0, 15, 0x4C, true, "FmAEControl", kAE, kGainRow, "GainValue"),
        row("IrisSlider", 0, 17, 0x4B, true, "FmAEControl", kAE, kIrisRow, "IrisValue"),
        // The full-range zoom slider (digital zoom on in combine mode) and the
        // optical one lie on top of each other and share the value box.
        {"ZoomSlider", 0, 0x7000, 0x47, true, K::Resending, {"FmZoom", sliderLeft, 495, sliderWidth(kZoom)},
         "ZoomValue", {"FmZoom", boxLeft(kZoom), 180, 900}},
        {"ZoomSliderShort", 0, 0x4000, 0x47, true, K::Resending, {"FmZoom", sliderLeft, 495, sliderWidth(kZoom)},
         nullptr, {}},
        // Between the speed boxes, on the row of its hold buttons.
        {"DZoomSlider", 0, 0xEB, 0x46, true, K::Resending, {"FmDZoom", 1155, 555, kFmDZoom.width - 2 * 1155},
         "DZoomValue", {"FmDZoom", boxLeft(kFmDZoom.width), 180, 900}},
        {"FocusSlider", 0x1000, 0xC000, 0x48, true, K::Resending, {"FmFocus", kEdge, 555, kFmFocus.width - 2 * kEdge},
         "FocusValue", {"FmFocus", boxLeft(kFmFocus.width), 180, 900}},
        {"FocusNearLimitSlider", 0x1000, 0xC000, 0x28, true, K::MoveOnly,
         {"FmFocus", kEdge, 2955, kFmFocus.width - 2 * kEdge}, nullptr, {}},
        {"VPSlider", 0, 255, 0x45, false, K::Plain, {"Frame5", sliderLeft, 630, sliderWidth(kVP)}, "VPValue",
         {"Frame5", boxLeft(kVP) + 120, 180, 780}},
    };
    return defs;
}

const QList<StepDef>& stepDefs()
{
    static const QList<StepDef> defs{
        {"ApertureUp", {{{0x02, 0x02}}}, 1, G::Plus, "Aperture up", nullptr, {"FmAPC", upLeft(kAP), 600, kButton}},
        {"ApertureDown", {{{0x02, 0x03}}}, 1, G::Minus, "Aperture down", nullptr, {"FmAPC", kEdge, 600, kButton}},
        {"ApertureReset", {{{0x02, 0x00}}}, 1, G::Dot, nullptr, "Reset", {"FmAPC", kEdge, 225, 1000}},
        up("RGainUp", 0x03, G::Plus, "R gain up", "FmWB", kWB, kRGainRow),
        down("RGainDown", 0x03, G::Minus, "R gain down", "FmWB", kRGainRow),
        up("BGainUp", 0x04, G::Plus, "B gain up", "FmWB", kWB, kBGainRow),
        down("BGainDown", 0x04, G::Minus, "B gain down", "FmWB", kBGainRow),
        // Both gains back to their factory values, without waiting in between.
        {"RBReset", {{{0x03, 0x00}, {0x04, 0x00}}}, 2, G::Dot, nullptr, "Reset", {"FmWB", kEdge, kWBButtonsTop, 1200}},
        up("ExpCompUp", 0x0E, G::Plus, "Exposure compensation up", "FmAEControl", kAE, kExpCompRow),
        down("ExpCompDown", 0x0E, G::Minus, "Exposure compensation down", "FmAEControl", kExpCompRow),
        up("BrightUp", 0x0D, G::Plus, "Bright up", "FmAEControl", kAE, kBrightRow),
        down("BrightDown", 0x0D, G::Minus, "Bright down", "FmAEControl", kBrightRow),
        up("ShutterFast", 0x0A, G::Plus, "Shutter faster", "FmAEControl", kAE, kShutterRow),
        down("ShutterSlow", 0x0A, G::Minus, "Shutter slower", "FmAEControl", kShutterRow),
        up("GainUp", 0x0C, G::Plus, "Gain up", "FmAEControl", kAE, kGainRow),
        down("GainDown", 0x0C, G::Minus, "Gain down", "FmAEControl", kGainRow),
        up("IrisOpen", 0x0B, G::Plus, "Iris open", "FmAEControl", kAE, kIrisRow),
        down("IrisClose", 0x0B, G::Minus, "Iris close", "FmAEControl", kIrisRow),
        {"VPreset", {{{0x05, 0x40}}}, 1, G::Dot, nullptr, "Reset", {"Frame5", 900, 180, 900}},
    };
    return defs;
}

const QList<HoldDef>& holdDefs()
{
    static const QList<HoldDef> defs{
        {"ZoomTele", 0x07, 0x20, "TeleSpeed", -1, G::Right, "Zoom tele", {"FmZoom", upLeft(kZoom), 870, kButton}},
        {"ZoomWide", 0x07, 0x30, "WideSpeed", -1, G::Left, "Zoom wide", {"FmZoom", kEdge, 870, kButton}},
        {"DZoomTele", 0x06, 0x20, "DTeleSpeed", -1, G::Right, "Digital zoom tele",
         {"FmDZoom", upLeft(kFmDZoom.width), 540, kButton}},
        {"DZoomWide", 0x06, 0x30, "DWideSpeed", -1, G::Left, "Digital zoom wide", {"FmDZoom", kEdge, 540, kButton}},
        {"Far", 0x08, 0x20, "FarSpeed", 0x02, G::Left, "Focus far", {"FmFocus", kEdge, 930, kButton}},
        {"Near", 0x08, 0x30, "NearSpeed", 0x03, G::Right, "Focus near", {"FmFocus", upLeft(kFmFocus.width), 930, kButton}},
        {"VPUp", 0x05, 0x02, nullptr, -1, G::Plus, "Phase up", {"Frame5", upLeft(kVP), 615, kButton}},
        {"VPDown", 0x05, 0x03, nullptr, -1, G::Minus, "Phase down", {"Frame5", kEdge, 615, kButton}},
    };
    return defs;
}

const SliderDef& sliderDef(const QString& name)
{
    for (const SliderDef& def : sliderDefs()) {
        if (name == QLatin1String(def.name))
            return def;
    }
    qFatal("no slider named \"%s\" in the value table", qPrintable(name));
}

} // namespace peltro
