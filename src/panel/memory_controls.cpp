// Memories: the preset frame of the pan/tilt cameras, one operation at a
// time until the camera ends it, and the memory frame of the block cameras.
#include "camera_controls.h"

#include "frm_main.h"
#include "message_service.h"
#include "option_button.h"
#include "panel_switches.h"
#include "refresh_controller.h"

#include <QPushButton>

namespace peltro {

namespace {

OptionGroup* group(FrmMain& main, const QString& array)
{
    return requireChild<OptionGroup>(&main, array + QStringLiteral("Group"));
}

void onPreset(FrmMain& main, int kind, int index)
{
    // Refused while a status read runs: nothing happens at all.
    if (!main.link().RefreshNotGoCheck())
        return;
    Link& link = main.link();
    link.expireOverduePreset();
    const PanelState& st = main.state();
    if (st.presetBusy) {
        // One operation at a time. The running one is left alone: its button
        // stays selected even when the click was in its own row.
        group(main, presetArray(kind))->setSelected(index, false);
        group(main, presetArray(st.presetKind))->setSelected(st.presetNumber, true);
        return;
    }
    link.startPreset(kind, index);
    sendCommand(main, memoryPacket(main.state().cameraAddress, presetOp(kind), index));
    // With auto refresh off, one status read follows the recall's end.
    if (presetOp(kind) == MemoryOp::Recall)
        main.refresh().readOnceAfterCommand(RefreshController::kInterval);
}

void onMemory(FrmMain& main, MemoryOp op, int number)
{
    sendCommand(main, memoryPacket(main.state().cameraAddress, op, number));
    if (op != MemoryOp::Recall)
        return;
    // The recalled settings are read at once. The read takes the recall's
    // own replies off the line, so auto refresh is resumed here rather than
    // left waiting for a completion that will not be seen.
    main.ReadCameraStatus();
    main.refresh().resumeAfterCommand();
}

} // namespace

void installMemoryControls(FrmMain& main)
{
    FrmMain* m = &main;
    for (int kind = 0; kind < 3; ++kind) {
        QObject::connect(group(main, presetArray(kind)), &OptionGroup::selected, m,
                         [m, kind](int index) { onPreset(*m, kind, index); });
    }
    QObject::connect(&main.link(), &Link::presetFinished, m,
                     [m](int kind, int number) { group(*m, presetArray(kind))->setSelected(number, false); });
    QObject::connect(&main.link(), &Link::presetAbandoned, m, [m] {
        m->messages().notify(QStringLiteral("Warning"),
                             QStringLiteral("The camera did not finish the preset operation.\n"
                                            "The Preset buttons can be used again."),
                             QMessageBox::Warning);
    });

    for (MemoryOp op : {MemoryOp::Set, MemoryOp::Recall, MemoryOp::Reset}) {
        QObject::connect(group(main, memoryArray(op)), &OptionGroup::selected, m,
                         [m, op](int number) { onMemory(*m, op, number); });
    }
    const MemoryOp custom[] = {MemoryOp::Set, MemoryOp::Recall, MemoryOp::Reset};
    for (int i = 0; i < 3; ++i) {
        QObject::connect(main.control<QPushButton>(QStringLiteral("CustomMem_%1").arg(i)), &QPushButton::clicked, m,
                         [m, op = custom[i]] { sendCommand(*m, memoryPacket(m->state().cameraAddress, op, kCustomMemory)); });
    }
}

} // namespace peltro
