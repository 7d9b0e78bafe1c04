// Picture modes and effects (the effect, sync, flip, freeze and mute items,
// the ICR, stabilizer and V-phase buttons) and the display and system items
// of the Display and Camera menus: each a packet and a tick or a caption.
#include "camera_controls.h"

#include "camera_packets.h"
#include "frm_main.h"
#include "panel_switches.h"
#include "tick_action.h"

#include <QPushButton>

namespace peltro {

namespace {

bool statusReadRunning(FrmMain& main)
{
    return !main.session().link().RefreshNotGoCheck();
}

void onOnOffItem(FrmMain& main, const OnOffItem& def)
{
    if ((def.guarded && statusReadRunning(main)) || refusedForLostLink(main))
        return;
    TickAction* item = main.tick(QString::fromLatin1(def.item));
    const bool on = !item->isChecked();
    const Packet packet = cameraCommand(main.address(), {def.command, on ? def.onByte : def.offByte});
    if (def.tickFirst)
        item->setChecked(on);
    sendCommand(main, packet);
    if (!def.tickFirst)
        item->setChecked(on);
}

void onChoice(FrmMain& main, const ChoiceGroup& group, int index)
{
    if ((group.guarded && statusReadRunning(main)) || refusedForLostLink(main))
        return;
    auto tick = [&] {
        for (int i = 0; i < group.items.size(); ++i)
            main.tick(QString::fromLatin1(group.items[i]))->setChecked(i == index);
    };
    if (group.tickFirst)
        tick();
    sendCommand(main, cameraCommand(main.address(), {group.command, index}));
    if (!group.tickFirst)
        tick();
}

void onCaptionToggle(FrmMain& main, const CaptionToggle& toggle)
{
    auto* button = main.control<QPushButton>(QString::fromLatin1(toggle.button));
    const CaptionRule* rule = ruleFor(toggle, button->text());
    if (!rule || refusedForLostLink(main))
        return;
    if (toggle.captionFirst)
        button->setText(QString::fromLatin1(rule->captionAfter));
    sendCommand(main, cameraCommand(main.address(), {toggle.command, rule->param}));
    if (!toggle.captionFirst)
        button->setText(QString::fromLatin1(rule->captionAfter));
}

void installSwitches(FrmMain& main, SwitchGroup group)
{
    FrmMain* m = &main;
    for (const OnOffItem& def : onOffItems()) {
        if (def.group == group)
            QObject::connect(main.tick(QString::fromLatin1(def.item)), &TickAction::clicked, m,
                             [m, def] { onOnOffItem(*m, def); });
    }
    for (const FixedCommand& def : fixedCommands()) {
        if (def.group != group)
            continue;
        const QString name = QString::fromLatin1(def.name);
        auto send = [m, def] { sendCommand(*m, cameraCommand(m->address(), {def.command, def.param})); };
        if (auto* button = main.findChild<QPushButton*>(name))
            QObject::connect(button, &QPushButton::clicked, m, send);
        else
            QObject::connect(main.action(name), &QAction::triggered, m, send);
    }
}

} // namespace

void installPictureControls(FrmMain& main)
{
    FrmMain* m = &main;
    installSwitches(main, SwitchGroup::Picture);
    for (const ChoiceGroup& group : choiceGroups()) {
        for (int i = 0; i < group.items.size(); ++i)
            QObject::connect(main.tick(QString::fromLatin1(group.items[i])), &TickAction::clicked, m,
                             [m, group, i] { onChoice(*m, group, i); });
    }
    for (const CaptionToggle& toggle : captionToggles())
        QObject::connect(main.control<QPushButton>(QString::fromLatin1(toggle.button)), &QPushButton::clicked, m,
                         [m, toggle] { onCaptionToggle(*m, toggle); });
}

void installDisplayControls(FrmMain& main)
{
    installSwitches(main, SwitchGroup::Display);
}

} // namespace peltro
