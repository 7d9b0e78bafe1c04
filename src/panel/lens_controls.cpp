// Lens commands beyond the value groups: zoom ends, the digital-zoom switch
// and modes, focus modes with their enabled-state patterns, AF sensitivity
// and timing, and lens initialisation.
#include "camera_controls.h"

#include "camera_packets.h"
#include "frm_main.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace peltro {

namespace {

QWidget* widget(FrmMain& main, const char* name)
{
    return main.control<QWidget>(QString::fromLatin1(name));
}

void enable(FrmMain& main, std::initializer_list<const char*> names, bool on)
{
    for (const char* n : names)
        widget(main, n)->setEnabled(on);
}

QPushButton* button(FrmMain& main, const char* name)
{
    return main.control<QPushButton>(QString::fromLatin1(name));
}

QCheckBox* checkBox(FrmMain& main, const char* name)
{
    return main.control<QCheckBox>(QString::fromLatin1(name));
}

// Guarded handlers do nothing at all while a status read runs.
bool statusReadRunning(FrmMain& main)
{
    return !main.session().link().RefreshNotGoCheck();
}

int address(FrmMain& main)
{
    return main.address();
}

// The sub-mode buttons AFModeCmd_1..3 for Normal, Interval AF, Zoom Trigger.
QWidget* subModeButton(FrmMain& main, int subMode)
{
    return main.control<QWidget>(QStringLiteral("AFModeCmd_%1").arg(subMode + 1));
}

void onDigitalZoomSwitch(FrmMain& main, bool on)
{
    if (statusReadRunning(main))
        return;
    if (refusedForLostLink(main)) {
        checkBox(main, "DZoom")->setChecked(!on);
        return;
    }
    const Packet packet = panelPacket(address(main), on ? PanelCommand::DZoomOn : PanelCommand::DZoomOff);
    showFullZoomSlider(main, on);
    sendCommand(main, packet);
}

void onDigitalZoomMode(FrmMain& main, int index)
{
    if (statusReadRunning(main) || (index != 0 && index != 1) || refusedForLostLink(main))
        return;
    sendCommand(main, panelPacket(address(main), index == 1 ? PanelCommand::DZoomSeparate : PanelCommand::DZoomCombine));
    const bool separate = index == 1;
    if (separate) {
        enable(main, {"DZoomTele", "DZoomWide", "DZoomX"}, true);
        enable(main, {"DZoomMode_0"}, true);
        enable(main, {"DZoomMode_1"}, false);
        enable(main, {"DZoom"}, false);
        showFullZoomSlider(main, false);
        return;
    }
    enable(main, {"DZoom"}, true);
    // With auto refresh off, one status read follows the command's completion.
    main.session().refresh().readOnceAfter(RefreshMachine::kInterval);
    enable(main, {"DZoomTele", "DZoomWide", "DZoomX"}, false);
    enable(main, {"DZoomMode_0"}, false);
    enable(main, {"DZoomMode_1"}, true);
}

void onDigitalZoomMax(FrmMain& main)
{
    if (refusedForLostLink(main))
        return;
    sendCommand(main, panelPacket(address(main), PanelCommand::DZoomMax));
    // The camera toggles between 1x and maximum; the caption follows the presses.
    QPushButton* b = button(main, "DZoomX");
    const bool atOne = b->text().compare(QLatin1String("X1"), Qt::CaseInsensitive) == 0;
    b->setText(atOne ? QStringLiteral("MAX") : QStringLiteral("X1"));
}

void onFocusMode(FrmMain& main, int index)
{
    if (refusedForLostLink(main))
        return;
    if (index == 0) {
        const Packet packet = panelPacket(address(main), PanelCommand::AutoFocus);
        applyFocusPattern(main, FocusPattern::Auto, main.session().afSubMode());
        sendCommand(main, packet);
        return;
    }
    const int subMode = index - 1;
    constexpr PanelCommand kSubModes[] = {PanelCommand::AFNormal, PanelCommand::AFInterval, PanelCommand::AFZoomTrigger};
    const Packet packet = panelPacket(address(main), kSubModes[subMode]);
    applyFocusPattern(main, FocusPattern::SubMode, subMode);
    main.session().setAfSubMode(subMode);
    sendCommand(main, packet);
}

void onManualFocus(FrmMain& main)
{
    if (refusedForLostLink(main))
        return;
    const Packet packet = panelPacket(address(main), PanelCommand::ManualFocus);
    applyFocusPattern(main, FocusPattern::Manual, main.session().afSubMode());
    sendCommand(main, packet);
}

void onAFTimes(FrmMain& main)
{
    if (refusedForLostLink(main))
        return;
    const Packet packet = afTimesPacket(address(main),
                                            main.control<QLineEdit>(QStringLiteral("AFacttime"))->text(),
                                            main.control<QLineEdit>(QStringLiteral("AFintTime"))->text());
    applyFocusPattern(main, FocusPattern::TimeSet, main.session().afSubMode());
    sendCommand(main, packet);
}

void onAFSensitivity(FrmMain& main, bool low)
{
    if (statusReadRunning(main))
        return;
    if (refusedForLostLink(main)) {
        checkBox(main, "AF_Sens")->setChecked(!low);
        return;
    }
    sendCommand(main, panelPacket(address(main), low ? PanelCommand::AFSensLow : PanelCommand::AFSensNormal));
}

// Buttons that send one fixed packet and change nothing on the panel.
struct FixedClick {
    const char* name;
    PanelCommand command;
};
constexpr FixedClick kFixedClicks[] = {
    {"AFTrig", PanelCommand::AFTrigger},
    {"Infinity", PanelCommand::Infinity},
};

} // namespace

void showFullZoomSlider(FrmMain& main, bool full)
{
    QWidget* shown = widget(main, full ? "ZoomSlider" : "ZoomSliderShort");
    QWidget* hidden = widget(main, full ? "ZoomSliderShort" : "ZoomSlider");
    hidden->setEnabled(false);
    hidden->hide();
    shown->setEnabled(true);
    shown->show();
    // The two lie on top of each other; the visible one must be in front.
    shown->raise();
}

void applyFocusPattern(FrmMain& main, FocusPattern pattern, int subMode)
{
    const bool manual = pattern == FocusPattern::Manual;
    enable(main, {"Near", "Far"}, manual);
    // The single-speed model's focus drive reads no speed.
    const bool speeds = manual && main.session().panTiltModel() != kSingleSpeedFocusModel;
    enable(main, {"NearSpeed", "FarSpeed", "UpDown3", "UpDown4"}, speeds);
    enable(main, {"FocusSlider", "AFTrig"}, manual);
    enable(main, {"AFModeCmd_0"}, manual || pattern == FocusPattern::TimeSet);
    for (int s = 0; s < 3; ++s) {
        bool on = true;
        switch (pattern) {
        case FocusPattern::Auto:
        case FocusPattern::SubMode: on = s != subMode; break;
        case FocusPattern::Manual: on = false; break;
        case FocusPattern::TimeSet: on = true; break;
        }
        subModeButton(main, s)->setEnabled(on);
    }
    if (pattern == FocusPattern::Auto || manual) {
        enable(main, {"ManAFMode"}, !manual);
        enable(main, {"Infinity"}, manual);
    }
}

void installLensControls(FrmMain& main)
{
    FrmMain* m = &main;
    QObject::connect(button(main, "WideT"), &QPushButton::clicked, m, [m] {
        QList<int> body{0x47};
        body << nibbles(0, true);
        sendCommand(*m, cameraCommand(address(*m), body));
    });
    QObject::connect(button(main, "FarT"), &QPushButton::clicked, m, [m] {
        sendCommand(*m, teleEndPacket(address(*m), checkBox(*m, "DZoom")->isChecked()));
    });
    QObject::connect(checkBox(main, "DZoom"), &QCheckBox::clicked, m,
                     [m](bool checked) { onDigitalZoomSwitch(*m, checked); });
    for (int i = 0; i < 2; ++i) {
        QObject::connect(main.control<QPushButton>(QStringLiteral("DZoomMode_%1").arg(i)), &QPushButton::clicked,
                         m, [m, i] { onDigitalZoomMode(*m, i); });
    }
    QObject::connect(button(main, "DZoomX"), &QPushButton::clicked, m, [m] { onDigitalZoomMax(*m); });
    for (int i = 0; i < 4; ++i) {
        QObject::connect(main.control<QPushButton>(QStringLiteral("AFModeCmd_%1").arg(i)), &QPushButton::clicked,
                         m, [m, i] { onFocusMode(*m, i); });
    }
    QObject::connect(button(main, "ManAFMode"), &QPushButton::clicked, m, [m] { onManualFocus(*m); });
    for (const FixedClick& c : kFixedClicks) {
        QObject::connect(button(main, c.name), &QPushButton::clicked, m,
                         [m, c] { sendCommand(*m, panelPacket(address(*m), c.command)); });
    }
    QObject::connect(checkBox(main, "AF_Sens"), &QCheckBox::clicked, m,
                     [m](bool checked) { onAFSensitivity(*m, checked); });
    QObject::connect(button(main, "ACTAFmodeset"), &QPushButton::clicked, m, [m] { onAFTimes(*m); });
    QObject::connect(main.action(QStringLiteral("Lensinit")), &QAction::triggered, m,
                     [m] { sendCommand(*m, panelPacket(address(*m), PanelCommand::LensInit)); });
}

} // namespace peltro
