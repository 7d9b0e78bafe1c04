// The status read's values in the main window's controls.
#include "panel_view.h"

#include "camera_controls.h"
#include "camera_packets.h"
#include "frm_main.h"
#include "tick_action.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace peltro {

void PanelView::applyStatus(const CameraStatus& status)
{
    if (!status.blocksRead)
        return;
    m.videoSystem = status.other.videoSystem;
    m.ntscOrPal->setText(status.other.videoSystem == 0 ? QStringLiteral("NTSC") : QStringLiteral("PAL"));
    applyLens(status.lens);
    applyCamera(status.camera);
    applyOther(status.other);
    if (status.expanded)
        applyExpanded(*status.expanded);
}

void PanelView::applyLens(const LensBlock& s)
{
    auto slider = [this](const char* n) { return m.control<QSlider>(QString::fromLatin1(n)); };
    auto box = [this](const char* n) { return m.control<QLineEdit>(QString::fromLatin1(n)); };
    auto enable = [this](std::initializer_list<const char*> names, bool on) {
        for (const char* n : names)
            m.control<QWidget>(QString::fromLatin1(n))->setEnabled(on);
    };
    if (s.zoom) {
        slider("ZoomSlider")->setValue(*s.zoom);
        slider("ZoomSliderShort")->setValue(*s.zoom);
        box("ZoomValue")->setText(hexText(*s.zoom));
    }
    // The near limit goes first: the focus slider never passes it, so a focus
    // set against the previous limit could be cut short.
    slider("FocusNearLimitSlider")->setValue(s.nearLimit);
    if (s.focus) {
        slider("FocusSlider")->setValue(*s.focus);
        box("FocusValue")->setText(hexText(*s.focus));
    }

    if (!s.separateMode) {
        enable({"DZoomTele", "DZoomWide", "DZoomX", "DZoomMode_0"}, false);
        enable({"DZoomMode_1", "DZoom"}, true);
        m.control<QCheckBox>(QStringLiteral("DZoom"))->setChecked(s.digitalZoomOn);
        showFullZoomSlider(m, s.digitalZoomOn);
    } else {
        enable({"DZoomTele", "DZoomWide", "DZoomX", "DZoomMode_0"}, true);
        enable({"DZoomMode_1"}, false);
        showFullZoomSlider(m, false);
        enable({"DZoom"}, false);
    }
    m.control<QCheckBox>(QStringLiteral("AF_Sens"))->setChecked(s.afSensitivityLow);

    const bool manual = !s.autoFocus;
    enable({"Near", "Far", "NearSpeed", "FarSpeed", "UpDown3", "UpDown4", "FocusSlider", "AFTrig", "AFModeCmd_0",
            "Infinity"},
           manual);
    enable({"AFModeCmd_1", "AFModeCmd_2", "AFModeCmd_3", "ManAFMode"}, !manual);

    switch (s.afSubModeBits) {
    case 0x00:
        m_session.setAfSubMode(0);
        enable({"AFModeCmd_1"}, false);
        enable({"AFModeCmd_2", "AFModeCmd_3"}, true);
        break;
    case 0x08:
        m_session.setAfSubMode(1);
        enable({"AFModeCmd_2"}, false);
        enable({"AFModeCmd_1", "AFModeCmd_3"}, true);
        break;
    case 0x10:
        m_session.setAfSubMode(2);
        enable({"AFModeCmd_3"}, false);
        enable({"AFModeCmd_1", "AFModeCmd_2"}, true);
        break;
    default:
        break;
    }
}

void PanelView::applyCamera(const CameraBlock& s)
{
    auto slider = [this](const char* n) { return m.control<QSlider>(QString::fromLatin1(n)); };
    auto box = [this](const char* n) { return m.control<QLineEdit>(QString::fromLatin1(n)); };

    // The camera's mode is always recorded, a mode the panel does not know
    // included (it ticks no item and enables nothing): otherwise a later
    // click on the mode recorded before would be taken as no change.
    checkWBModeItem(m, s.wbMode);
    if (s.wbMode != m.recordedWBMode) {
        m.recordedWBMode = s.wbMode;
        applyWBEnabling(m, s.wbMode);
    }
    checkAEModeItem(m, s.aeMode);
    if (s.aeMode != m.recordedAEMode) {
        m.recordedAEMode = s.aeMode;
        applyAEEnabling(m, s.aeMode);
    }

    slider("RGainSlider")->setValue(s.rGain);
    box("RGValue")->setText(hexText(slider("RGainSlider")->value()));
    slider("BGainSlider")->setValue(s.bGain);
    box("BGValue")->setText(hexText(slider("BGainSlider")->value()));
    slider("ApertureSlider")->setValue(s.aperture);
    box("ApertureValue")->setText(hexText(s.aperture));

    // A position outside the label list moves the slider and leaves the box.
    auto labelled = [&](const char* sliderName, const char* boxName, int value, const QStringList& list, int limit) {
        slider(sliderName)->setValue(value);
        if (value < limit)
            if (auto text = labelAt(list, value))
                box(boxName)->setText(*text);
    };
    labelled("ShutterSlider", "ShutterValue", s.shutter, m.labels.shutter[m.videoSystem == 1 ? 1 : 0], 22);
    labelled("IrisSlider", "IrisValue", s.iris, m.labels.iris, 19);
    labelled("GainSlider", "GainValue", s.gain, m.labels.gain, 16);
    labelled("BrightSlider", "BrightValue", s.bright, m.labels.bright, 33);
    labelled("ExpCompSlider", "ExpCompValue", s.expComp, m.labels.expComp, 15);

    m.control<QCheckBox>(QStringLiteral("AutoSlowShutter"))->setChecked(s.slowShutter);
    m.control<QCheckBox>(QStringLiteral("BackLight"))->setChecked(s.backLight);
    m.control<QCheckBox>(QStringLiteral("ExpComp"))->setChecked(s.expCompOn);
    for (const char* n : {"ExpCompUp", "ExpCompDown", "ExpCompSlider"})
        m.control<QWidget>(QString::fromLatin1(n))->setEnabled(s.expCompOn);
}

void PanelView::applyOther(const OtherBlock& s)
{
    m.action(QStringLiteral("LR_Reverse"))->setChecked(s.lrReverse);
    m.action(QStringLiteral("Freese"))->setChecked(s.freeze);
    m.action(QStringLiteral("Power"))->setChecked(s.power);
    m.action(QStringLiteral("KeyLock"))->setChecked(s.keyLock);
    m.action(QStringLiteral("DataScreen"))->setChecked(s.dataScreen);
    m.action(QStringLiteral("TitleOnOff"))->setChecked(s.titleDisplay);
    m.control<QPushButton>(QStringLiteral("CmdAutoICR"))->setText(s.autoIcr ? QStringLiteral("ON")
                                                                              : QStringLiteral("OFF"));
    static const char* const effects[] = {"PEOff", "Pastel", "NegArt", "Sepia", "BlackWhite",
                                          "Solarize", "Mosaic", "Slim", "Stretch"};
    for (const char* n : effects)
        m.action(QString::fromLatin1(n))->setChecked(false);
    if (s.pictureEffect >= 0 && s.pictureEffect <= 8)
        m.action(QString::fromLatin1(effects[s.pictureEffect]))->setChecked(true);
    static const char* const digital[] = {"DEOff", "Still", "Flash", "Lumi", "Trail"};
    for (const char* n : digital)
        m.action(QString::fromLatin1(n))->setChecked(false);
    if (s.digitalEffect >= 0 && s.digitalEffect <= 4)
        m.action(QString::fromLatin1(digital[s.digitalEffect]))->setChecked(true);
    m.effectLevel = s.effectLevel;
    m.cameraIdText->setText(QString::number(s.cameraId));
}

void PanelView::applyExpanded(const ExpandedBlock& s)
{
    auto* dzoom = m.control<QSlider>(QStringLiteral("DZoomSlider"));
    dzoom->setValue(s.digitalZoom);
    m.control<QLineEdit>(QStringLiteral("DZoomValue"))->setText(hexText(dzoom->value()));
    m.control<QPushButton>(QStringLiteral("DZoomX"))->setText(dzoom->value() == 0 ? QStringLiteral("MAX")
                                                                                    : QStringLiteral("X1"));
    m.action(QStringLiteral("MotionDetecter"))->setVisible(s.motionDetection);
}

} // namespace peltro
