#include "panel_config.h"

#include "frm_main.h"
#include "main_layout.h"
#include "twips.h"
#include "value_table.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLineEdit>
#include <QSlider>

namespace peltro {

namespace {

double tw(int pixels)
{
    return twips::fromPixels(pixels);
}

// The exposure sliders whose maxima the pan/tilt models change.
constexpr const char* kModelRangeSliders[] = {"GainSlider", "ShutterSlider", "BrightSlider"};

} // namespace

void PanelConfig::setMaximum(const char* slider, std::optional<int> maximum)
{
    const QString name = QString::fromLatin1(slider);
    m.control<QSlider>(name)->setMaximum(maximum.value_or(sliderDef(name).max));
}

void PanelConfig::buildLabelTables()
{
    fillStartupLabels(m.labels);
}

void PanelConfig::Opt10X()
{
    applyLensSet(m.labels, LensSet::X10);
}

void PanelConfig::Opt18X()
{
    applyLensSet(m.labels, LensSet::X18);
}

void PanelConfig::Opt25X()
{
    applyLensSet(m.labels, LensSet::X25);
}

void PanelConfig::OptP1()
{
    for (const char* n : {"ExpCompValue", "GainValue", "ShutterValue", "IrisValue", "BrightValue", "ZoomValue",
                          "FocusValue", "RGValue", "BGValue"})
        m.control<QLineEdit>(QString::fromLatin1(n))->clear();
    for (const char* n : kModelRangeSliders)
        setMaximum(n);
}

void PanelConfig::OptP2()
{
    setMaximum("GainSlider", 7);
    setMaximum("ShutterSlider", 19);
    setMaximum("BrightSlider", 23);
    applyP2Labels(m.labels);
}

void PanelConfig::OptP3()
{
    for (const char* n : kModelRangeSliders)
        setMaximum(n);
    applyP3Labels(m.labels);
}

void PanelConfig::DspP1()
{
    OptP1();
    applyPanTiltPanel(kModelP1);
}

void PanelConfig::DspP2()
{
    OptP2();
    applyPanTiltPanel(kModelP2);
}

void PanelConfig::DspP3()
{
    OptP3();
    applyPanTiltPanel(kModelP3);
}

// The third pan/tilt model is the reference; the other two differ in the
// places marked.
void PanelConfig::applyPanTiltPanel(std::uint8_t model)
{
    const bool p1 = model == kModelP1, p2 = model == kModelP2;
    auto item = [this](const char* name, bool enabled) {
        m.action(QString::fromLatin1(name))->setEnabled(enabled);
    };
    auto show = [this](const char* name, bool shown) {
        m.control<QWidget>(QString::fromLatin1(name))->setVisible(shown);
    };

    // 1. menu items
    for (const char* n : {"IDWrite", "AutoPowerOff"})
        item(n, !p1);
    for (const char* n : {"Mute", "Lensinit", "NightPowerOff"})
        item(n, !p1 && !p2);
    for (const char* n : {"KeyLock", "CompScan"})
        item(n, false);
    item("M_Function", !p1);
    if (!p1) {
        item("PictureFlip", false);
        item("PictureEffect", true);
        for (const char* n : {"Pastel", "Sepia", "Solarize", "Mosaic", "Slim", "Stretch"})
            item(n, p2);
    }
    for (const char* n : {"DigitalEffect", "ShutterAuto", "IrisAuto", "GainAuto"})
        item(n, p2);
    item("AESpotMode", !p1 && !p2);
    for (const char* n : {"ATW", "ManualWB"})
        item(n, !p1);
    for (const char* n : {"DateDisplay", "TimeDisplay", "SetTimeDate"})
        item(n, false);
    item("Title", !p1 && !p2);
    for (const char* n : {"Sync", "FactorySetMenu", "PrivacyZone", "PrivacyAv"})
        item(n, false);
    item("MotionDetecter", !p1 && !p2);

    // 2..6 exposure frame
    auto* ae = m.control<QWidget>(QStringLiteral("FmAEControl"));
    ae->resize(ae->width(), twips::toPixels(p1 ? 4295 : p2 ? 5435 : 6295));
    for (const char* n : {"ExpCompValue", "ExpComp", "LblAE_12", "LblAE_13", "LblAE_14", "ExpCompDown", "ExpCompUp"})
        show(n, !p1);
    auto* backLight = m.control<QWidget>(QStringLiteral("BackLight"));
    backLight->move(backLight->x(), twips::toPixels(p1 ? 3960 : 5160));
    for (const char* n : {"CmdAutoICR", "LblAE_15", "CmdICR_0", "CmdICR_1", "LblAE_16", "Line8"})
        show(n, !p1 && !p2);
    show("Comstabi", false);
    show("LblAE_17", false);

    // 7..8 digital zoom
    if (p1)
        m.control<QCheckBox>(QStringLiteral("DZoom"))->setChecked(false);
    show("DZoom", !p1);
    show("DZoomMode_0", !p1 && !p2);
    if (!p1)
        setMaximum("ZoomSlider", p2 ? std::nullopt : std::optional<int>(0x7AC0));
    show("FmDZoom", !p1 && !p2);
    show("Line3", !p1 && !p2);

    // 9..10 focus
    for (const char* n : {"AFModeCmd_1", "AFModeCmd_2", "AFModeCmd_3", "ACTAFmodeset", "LblFocus_6", "AFacttime",
                          "LblFocus_7", "AFintTime"})
        show(n, !p1 && !p2);
    for (const char* n : {"LblFocus_5", "AF_Sens", "AFTrig", "Infinity", "LblFocus_4"})
        show(n, !p1);
    if (!p1) {
        m.control<QCheckBox>(QStringLiteral("AF_Sens"))->setText(p2 ? QStringLiteral("High/Low")
                                                                    : QStringLiteral("Norm/Low"));
        for (const char* n : {"FocusSlider", "FocusNearLimitSlider"})
            setMaximum(n, p2 ? std::optional<int>(0x8400) : std::nullopt);
    }

    // 11 the focus frame overlaps the frame above it by 130 twips
    auto* focus = m.control<QWidget>(QStringLiteral("FmFocus"));
    const QWidget* above = m.control<QWidget>(p1 || p2 ? QStringLiteral("FmZoom") : QStringLiteral("FmDZoom"));
    focus->resize(focus->width(), twips::toPixels(p1 ? 2600 : p2 ? 3735 : 4095));
    focus->move(above->x(), twips::toPixels(tw(above->y()) + tw(above->height()) - layout::kFocusOverlap));

    // 12..13 aperture, presets, V-phase
    show("FmAPC", !p1);
    auto* preset = m.control<QWidget>(QStringLiteral("FmPreset"));
    const QWidget* over = m.control<QWidget>(p1 ? QStringLiteral("FmWB") : QStringLiteral("FmAPC"));
    preset->move(over->x(), over->y() + over->height());
    show("Frame5", false);
}

void PanelConfig::showQuorinFamily()
{
    m.state().panTiltFamily = true;
    m.setWindowTitle(QStringLiteral("QUORIN  SERIES  Control  Panel"));
    m.setWindowIcon(QIcon(QStringLiteral(":/icons/quorin.png")));
    m.control<QWidget>(QStringLiteral("FmMemory"))->hide();
    m.control<QWidget>(QStringLiteral("FmPreset"))->show();  // in the memories' place
    m.control<QWidget>(QStringLiteral("FmPTWindowM"))->show();
}

void PanelConfig::showTamiroFamily()
{
    m.state().panTiltFamily = false;
    m.setWindowTitle(QStringLiteral("TAMIRO-  B SERIES Control Panel"));
    m.setWindowIcon(QIcon(QStringLiteral(":/icons/tamiro.png")));
    m.control<QWidget>(QStringLiteral("FmPreset"))->hide();
    m.control<QWidget>(QStringLiteral("FmMemory"))->show();
    m.control<QWidget>(QStringLiteral("FmPTWindowM"))->hide();
}

void PanelConfig::identifyModel(const QByteArray& v, const std::function<void()>& advance)
{
    auto step = [&advance] {
        if (advance)
            advance();
    };
    if (v.size() < 10 || !(quint8(v[0]) & 0x80) || quint8(v[1]) != 0x50 || quint8(v[9]) != 0xFF)
        return;
    if (quint8(v[0]) != 0x80 + 16 * m.state().cameraAddress)
        return;
    const quint8 vendor = quint8(v[3]);
    const quint8 model = quint8(v[5]);
    if (vendor == kVendorQuorin) {
        showQuorinFamily();
        step();
        step();
        if (model == kModelP1 || model == kModelP2) {
            m.state().panTiltModel = model;
        } else if (model == kModelP3) {
            m.state().panTiltModel = model;
            step();
            DspP3();
            step();
        }
    } else if (vendor == kVendorTamiro) {
        showTamiroFamily();
        if (const BlockModelRow* row = findBlockModel(model))
            applyBlockRow(*row);
    }
}

void PanelConfig::applyBlockRow(const BlockModelRow& row)
{
    switch (row.lens) {
    case LensSet::X10: Opt10X(); break;
    case LensSet::X18: Opt18X(); break;
    case LensSet::X25: Opt25X(); break;
    }
    m.modelVersion->setText(row.name);
    m.ntscOrPal->setText(row.system);
    auto disable = [this](std::initializer_list<const char*> names) {
        for (const char* n : names)
            m.action(QString::fromLatin1(n))->setEnabled(false);
    };
    auto hideItems = [this](std::initializer_list<const char*> names) {
        for (const char* n : names)
            m.action(QString::fromLatin1(n))->setVisible(false);
    };
    auto hide = [this](std::initializer_list<const char*> names) {
        for (const char* n : names)
            m.control<QWidget>(QString::fromLatin1(n))->hide();
    };
    for (PanelChange c : row.changes) {
        switch (c) {
        case PanelChange::D: disable({"SetTimeDate", "DateDisplay", "TimeDisplay"}); break;
        case PanelChange::PA: disable({"PrivacyAv"}); break;
        case PanelChange::PZ: disable({"PrivacyZone"}); break;
        case PanelChange::ST: hide({"Comstabi", "LblAE_17"}); break;
        case PanelChange::FR: disable({"Freese"}); break;
        case PanelChange::AS: hide({"AutoSlowShutter"}); break;
        case PanelChange::WB:
            hide({"FmWB"});
            hideItems({"WBMode"});
            break;
        case PanelChange::BW: disable({"BlackWhite"}); break;
        case PanelChange::FM: hideItems({"PictureFlip", "MotionDetecter"}); break;
        case PanelChange::VP:
            disable({"LineLock"});
            hide({"Frame5", "LblWbApVp_3"});
            break;
        }
    }
}

} // namespace peltro
