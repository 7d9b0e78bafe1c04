#include "panel_profile.h"

#include "main_layout.h"

#include <algorithm>

namespace peltro {

namespace {

using Op = PanelStep::Op;

struct Steps {
    QList<PanelStep> list;
    void items(std::initializer_list<const char*> names, bool enabled)
    {
        for (const char* n : names)
            list.append({Op::ItemEnabled, QString::fromLatin1(n), enabled ? 1 : 0});
    }
    void itemsShown(std::initializer_list<const char*> names, bool shown)
    {
        for (const char* n : names)
            list.append({Op::ItemShown, QString::fromLatin1(n), shown ? 1 : 0});
    }
    void shown(std::initializer_list<const char*> names, bool shown)
    {
        for (const char* n : names)
            list.append({Op::Shown, QString::fromLatin1(n), shown ? 1 : 0});
    }
    void op(Op o, const char* name, int value = 0, const QString& text = {}, const char* anchor = nullptr)
    {
        list.append({o, QString::fromLatin1(name), value, text, anchor ? QString::fromLatin1(anchor) : QString()});
    }
};

constexpr int kDesigned = -1;

// The value boxes the first pan/tilt model leaves empty.
constexpr const char* kP1ClearedBoxes[] = {"ExpCompValue", "GainValue", "ShutterValue", "IrisValue", "BrightValue",
                                          "ZoomValue", "FocusValue", "RGValue", "BGValue"};

// The third pan/tilt model is the reference; the other two differ in the
// places marked.
void panTiltPanel(Steps& s, std::uint8_t model)
{
    const bool p1 = model == kModelP1, p2 = model == kModelP2;

    // menu items
    s.items({"IDWrite", "AutoPowerOff"}, !p1);
    s.items({"Mute", "Lensinit", "NightPowerOff"}, !p1 && !p2);
    s.items({"KeyLock", "CompScan"}, false);
    s.items({"M_Function"}, !p1);
    if (!p1) {
        s.items({"PictureFlip"}, false);
        s.items({"PictureEffect"}, true);
        s.items({"Pastel", "Sepia", "Solarize", "Mosaic", "Slim", "Stretch"}, p2);
    }
    s.items({"DigitalEffect", "ShutterAuto", "IrisAuto", "GainAuto"}, p2);
    s.items({"AESpotMode"}, !p1 && !p2);
    s.items({"ATW", "ManualWB"}, !p1);
    s.items({"DateDisplay", "TimeDisplay", "SetTimeDate"}, false);
    s.items({"Title"}, !p1 && !p2);
    s.items({"Sync", "FactorySetMenu", "PrivacyZone", "PrivacyAv"}, false);
    s.items({"MotionDetecter"}, !p1 && !p2);

    // exposure frame
    s.op(Op::Height, "FmAEControl", p1 ? 4295 : p2 ? 5435 : 6295);
    s.shown({"ExpCompValue", "ExpComp", "LblAE_12", "LblAE_13", "LblAE_14", "ExpCompDown", "ExpCompUp"}, !p1);
    s.op(Op::Top, "BackLight", p1 ? 3960 : 5160);
    s.shown({"CmdAutoICR", "LblAE_15", "CmdICR_0", "CmdICR_1", "LblAE_16", "Line8"}, !p1 && !p2);
    s.shown({"Comstabi", "LblAE_17"}, false);

    // digital zoom
    if (p1)
        s.op(Op::Unchecked, "DZoom");
    s.shown({"DZoom"}, !p1);
    s.shown({"DZoomMode_0"}, !p1 && !p2);
    if (!p1)
        s.op(Op::SliderMax, "ZoomSlider", p2 ? kDesigned : 0x7AC0);
    s.shown({"FmDZoom", "Line3"}, !p1 && !p2);

    // focus
    s.shown({"AFModeCmd_1", "AFModeCmd_2", "AFModeCmd_3", "ACTAFmodeset", "LblFocus_6", "AFacttime", "LblFocus_7",
             "AFintTime"},
            !p1 && !p2);
    s.shown({"LblFocus_5", "AF_Sens", "AFTrig", "Infinity", "LblFocus_4"}, !p1);
    if (!p1) {
        s.op(Op::Caption, "AF_Sens", 0, p2 ? QStringLiteral("High/Low") : QStringLiteral("Norm/Low"));
        for (const char* n : {"FocusSlider", "FocusNearLimitSlider"})
            s.op(Op::SliderMax, n, p2 ? 0x8400 : kDesigned);
    }
    // The focus frame overlaps the frame above it.
    s.op(Op::Height, "FmFocus", p1 ? 2600 : p2 ? 3735 : 4095);
    s.op(Op::Below, "FmFocus", int(layout::kFocusOverlap), {}, p1 || p2 ? "FmZoom" : "FmDZoom");

    // aperture, presets, V-phase
    s.shown({"FmAPC"}, !p1);
    s.op(Op::Below, "FmPreset", 0, {}, p1 ? "FmWB" : "FmAPC");
    s.shown({"Frame5"}, false);
}

PanelProfile quorinProfile(const Identity& id)
{
    PanelProfile p;
    p.family = Family::Quorin;
    p.caption = QStringLiteral("QUORIN  SERIES  Control  Panel");
    p.icon = QStringLiteral(":/icons/quorin.png");
    Steps s;
    s.shown({"FmMemory"}, false);
    s.shown({"FmPreset", "FmPTWindowM"}, true);
    fillStartupLabels(p.labels);
    if (!id.name.isEmpty())
        p.modelName = id.name;
    switch (id.model) {
    case kModelP1:
        p.clearStatusBoxes = true;
        for (const char* n : kP1ClearedBoxes)
            s.op(Op::ClearText, n);
        for (const char* n : {"GainSlider", "ShutterSlider", "BrightSlider"})
            s.op(Op::SliderMax, n, kDesigned);
        panTiltPanel(s, kModelP1);
        break;
    case kModelP2:
        s.op(Op::SliderMax, "GainSlider", 7);
        s.op(Op::SliderMax, "ShutterSlider", 19);
        s.op(Op::SliderMax, "BrightSlider", 23);
        applyP2Labels(p.labels);
        panTiltPanel(s, kModelP2);
        break;
    case kModelP3:
        for (const char* n : {"GainSlider", "ShutterSlider", "BrightSlider"})
            s.op(Op::SliderMax, n, kDesigned);
        applyP3Labels(p.labels);
        panTiltPanel(s, kModelP3);
        break;
    default:
        break;
    }
    p.steps = s.list;
    return p;
}

PanelProfile tamiroProfile(const Identity& id)
{
    PanelProfile p;
    p.family = Family::Tamiro;
    p.caption = QStringLiteral("TAMIRO-  B SERIES Control Panel");
    p.icon = QStringLiteral(":/icons/tamiro.png");
    Steps s;
    s.shown({"FmPreset", "FmPTWindowM"}, false);
    s.shown({"FmMemory"}, true);
    fillStartupLabels(p.labels);
    // The name of a block camera, empty for a code the catalogue does not
    // know, so that the box never shows the previous camera's model.
    p.modelName = id.name;
    if (const BlockModelRow* row = id.vendor == kVendorTamiro ? findBlockModel(id.model) : nullptr) {
        applyLensSet(p.labels, row->lens);
        p.system = row->system;
        for (PanelChange c : row->changes) {
            switch (c) {
            case PanelChange::D: s.items({"SetTimeDate", "DateDisplay", "TimeDisplay"}, false); break;
            case PanelChange::PA: s.items({"PrivacyAv"}, false); break;
            case PanelChange::PZ: s.items({"PrivacyZone"}, false); break;
            case PanelChange::ST: s.shown({"Comstabi", "LblAE_17"}, false); break;
            case PanelChange::FR: s.items({"Freese"}, false); break;
            case PanelChange::AS: s.shown({"AutoSlowShutter"}, false); break;
            case PanelChange::WB:
                s.shown({"FmWB"}, false);
                s.itemsShown({"WBMode"}, false);
                break;
            case PanelChange::BW: s.items({"BlackWhite"}, false); break;
            case PanelChange::FM: s.itemsShown({"PictureFlip", "MotionDetecter"}, false); break;
            case PanelChange::VP:
                s.items({"LineLock"}, false);
                s.shown({"Frame5", "LblWbApVp_3"}, false);
                break;
            }
        }
    }
    p.steps = s.list;
    return p;
}

} // namespace

PanelProfile panelProfile(const std::optional<Identity>& id)
{
    if (!id) {
        PanelProfile p;
        fillStartupLabels(p.labels);
        return p;
    }
    if (id->family == Family::Quorin)
        return quorinProfile(*id);
    if (id->vendor == kVendorTamiro)
        return tamiroProfile(*id);
    // A vendor the panel does not know: no family of its own.
    PanelProfile p;
    fillStartupLabels(p.labels);
    return p;
}

QList<PanelStep> profileTouches()
{
    QList<PanelStep> touches;
    auto add = [&touches](const PanelProfile& p) {
        for (const PanelStep& step : p.steps) {
            const bool known = std::any_of(touches.cbegin(), touches.cend(), [&step](const PanelStep& t) {
                return t.name == step.name && t.op == step.op;
            });
            if (!known)
                touches.append(step);
        }
    };
    for (const ModelId& m : allModels()) {
        Identity id;
        id.family = m.family;
        id.vendor = m.vendorLow;
        id.model = m.modelLow;
        id.name = m.name;
        add(panelProfile(id));
    }
    return touches;
}

} // namespace peltro
