// AE and white-balance mode commands with the enabled states each mode
// gives the exposure and gain groups, and the exposure check boxes.
#include "camera_controls.h"

#include "camera_packets.h"
#include "frm_main.h"
#include "tick_action.h"

#include <QCheckBox>
#include <QPushButton>

namespace peltro {

namespace {

void enable(FrmMain& main, std::initializer_list<const char*> names, bool on)
{
    for (const char* n : names)
        main.control<QWidget>(QString::fromLatin1(n))->setEnabled(on);
}

bool statusReadRunning(FrmMain& main)
{
    return !main.session().link().RefreshNotGoCheck();
}

void sendMode(FrmMain& main, int command, int code)
{
    sendCommand(main, cameraCommand(main.address(), {command, code}));
}

void onAEMode(FrmMain& main, int code)
{
    if (statusReadRunning(main) || main.recordedAEMode == code || refusedForLostLink(main))
        return;
    if (code == AEBright) {
        // Bright is reached from full auto or shutter priority only: from any
        // other mode the camera passes through full auto and settles first.
        const Packet bright = cameraCommand(main.address(), {0x39, AEBright});
        if (main.recordedAEMode != AEShutterPriority && main.recordedAEMode != AEFullAuto)
            main.session().commandsApart(cameraCommand(main.address(), {0x39, AEFullAuto}), 1.0, bright);
        else
            sendCommand(main, bright);
        main.recordedAEMode = AEBright;
    } else {
        main.recordedAEMode = code;
        sendMode(main, 0x39, code);
    }
    checkAEModeItem(main, code);
    applyAEEnabling(main, code);
}

void onWBMode(FrmMain& main, int code)
{
    if (statusReadRunning(main) || main.recordedWBMode == code || refusedForLostLink(main))
        return;
    main.recordedWBMode = code;
    sendMode(main, 0x35, code);
    checkWBModeItem(main, code);
    applyWBEnabling(main, code);
}

// Exposure check boxes, read after the click toggled them.
void onExposureSwitch(FrmMain& main, const ExposureSwitch& sw, bool on)
{
    if (statusReadRunning(main))
        return;
    // The click has ticked the box already: it goes back when nothing can go out.
    if (refusedForLostLink(main)) {
        main.control<QCheckBox>(QString::fromLatin1(sw.name))->setChecked(!on);
        return;
    }
    sendMode(main, sw.command, on ? 0x02 : 0x03);
    if (sw.gatesExpCompGroup)
        enable(main, {"ExpCompUp", "ExpCompDown", "ExpCompSlider"}, on);
}

} // namespace

void applyAEEnabling(FrmMain& main, int mode)
{
    const std::optional<AEModeRow> row = aeModeRow(mode);
    if (!row)
        return;
    enable(main, {"IrisClose", "IrisOpen", "IrisSlider"}, row->iris);
    enable(main, {"GainDown", "GainUp", "GainSlider"}, row->gain);
    enable(main, {"ShutterSlow", "ShutterFast", "ShutterSlider"}, row->shutter);
    enable(main, {"BrightDown", "BrightUp", "BrightSlider"}, row->bright);
    enable(main, {"BackLight", "AutoSlowShutter"}, row->switches);
}

void checkAEModeItem(FrmMain& main, int mode)
{
    for (const AEModeRow& row : aeModeRows())
        main.tick(QString::fromLatin1(row.item))->setChecked(row.code == mode);
}

void applyWBEnabling(FrmMain& main, int mode)
{
    const std::optional<WBModeRow> row = wbModeRow(mode);
    if (!row)
        return;
    enable(main, {"RGainUp", "BGainUp", "RGainDown", "BGainDown", "RGainSlider", "BGainSlider", "RBReset"},
           row->gains);
    enable(main, {"WBTrigger"}, row->trigger);
}

void checkWBModeItem(FrmMain& main, int mode)
{
    for (const WBModeRow& row : wbModeRows())
        main.tick(QString::fromLatin1(row.item))->setChecked(row.code == mode);
}

void installExposureControls(FrmMain& main)
{
    FrmMain* m = &main;
    for (const AEModeRow& row : aeModeRows()) {
        const int code = row.code;
        QObject::connect(main.tick(QString::fromLatin1(row.item)), &TickAction::clicked, m,
                         [m, code] { onAEMode(*m, code); });
    }
    for (const ExposureSwitch& sw : exposureSwitches()) {
        QObject::connect(main.control<QCheckBox>(QString::fromLatin1(sw.name)), &QCheckBox::clicked, m,
                         [m, sw](bool checked) { onExposureSwitch(*m, sw, checked); });
    }
}

void installWhiteBalanceControls(FrmMain& main)
{
    FrmMain* m = &main;
    for (const WBModeRow& row : wbModeRows()) {
        const int code = row.code;
        QObject::connect(main.tick(QString::fromLatin1(row.item)), &TickAction::clicked, m,
                         [m, code] { onWBMode(*m, code); });
    }
    // The one-push trigger is not guarded: it changes nothing on the panel.
    QObject::connect(main.control<QPushButton>(QStringLiteral("WBTrigger")), &QPushButton::clicked, m,
                     [m] { sendCommand(*m, panelPacket(m->address(), PanelCommand::WBTrigger)); });
}

} // namespace peltro
