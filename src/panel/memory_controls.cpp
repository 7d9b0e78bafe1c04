// Memories: the preset frame of the pan/tilt cameras, one operation at a
// time until the camera ends it, and the memory frame of the block cameras.
#include "camera_controls.h"

#include "frm_main.h"
#include "message_service.h"
#include "option_button.h"
#include "panel_switches.h"

#include <QPushButton>

namespace peltro {

namespace {

OptionGroup* group(FrmMain& main, const QString& array)
{
    return requireChild<OptionGroup>(&main, array + QStringLiteral("Group"));
}

PresetOperation::Kind presetKind(int kind)
{
    return PresetOperation::Kind(kind);
}

void onPreset(FrmMain& main, int kind, int index)
{
    CameraSession& session = main.session();
    // Refused while a status read runs: nothing happens at all.
    if (!session.link().RefreshNotGoCheck())
        return;
    // Nothing goes to a lost link: the button the click selected goes back.
    if (refusedForLostLink(main)) {
        group(main, presetArray(kind))->setSelected(index, false);
        return;
    }
    if (!session.startPreset(presetKind(kind), index)) {
        // One operation at a time. The running one is left alone: its button
        // stays selected even when the click was in its own row.
        group(main, presetArray(kind))->setSelected(index, false);
        if (const PresetOperation* running = session.runningPreset())
            group(main, presetArray(int(running->kind())))->setSelected(running->number(), true);
    }
}

} // namespace

void installMemoryControls(FrmMain& main)
{
    FrmMain* m = &main;
    for (int kind = 0; kind < 3; ++kind) {
        QObject::connect(group(main, presetArray(kind)), &OptionGroup::selected, m,
                         [m, kind](int index) { onPreset(*m, kind, index); });
    }
    // Whoever started it (the panel or a control surface), the button of a
    // running preset of the addressed camera is selected until it ends.
    QObject::connect(&main.session(), &CameraSession::presetStarted, m, [m](PresetOperation* op) {
        const int kind = int(op->kind()), number = op->number();
        if (op->address() == m->address())
            group(*m, presetArray(kind))->setSelected(number, true);
        QObject::connect(op, &PresetOperation::finished, m,
                         [m, kind, number] { group(*m, presetArray(kind))->setSelected(number, false); });
        QObject::connect(op, &PresetOperation::abandoned, m, [m] {
            m->messages().notify(QStringLiteral("Warning"),
                                 QStringLiteral("The camera did not finish the preset operation.\n"
                                                "The Preset buttons can be used again."),
                                 QMessageBox::Warning);
        });
    });

    for (MemoryOp op : {MemoryOp::Set, MemoryOp::Recall, MemoryOp::Reset}) {
        QObject::connect(group(main, memoryArray(op)), &OptionGroup::selected, m, [m, op](int number) {
            if (refusedForLostLink(*m)) {
                group(*m, memoryArray(op))->setSelected(number, false);
                return;
            }
            m->session().memory(op == MemoryOp::Set      ? PresetOperation::Kind::Set
                                : op == MemoryOp::Recall ? PresetOperation::Kind::Recall
                                                         : PresetOperation::Kind::Reset,
                                number);
        });
    }
    const MemoryOp custom[] = {MemoryOp::Set, MemoryOp::Recall, MemoryOp::Reset};
    for (int i = 0; i < 3; ++i) {
        QObject::connect(main.control<QPushButton>(QStringLiteral("CustomMem_%1").arg(i)), &QPushButton::clicked, m,
                         [m, op = custom[i]] { sendCommand(*m, memoryPacket(m->address(), op, kCustomMemory)); });
    }
}

} // namespace peltro
