// The shared mechanics of the value groups: what a slider, a step button and
// a hold button send, and how a slider drag brackets the auto-refresh timer.
#include "camera_controls.h"

#include "camera_packets.h"
#include "frm_main.h"
#include "hold_button.h"
#include "tick_action.h"
#include "value_slider.h"

#include <QLineEdit>
#include <QPushButton>
#include <memory>

namespace peltro {

namespace {

QString nameOf(const char* name)
{
    return QString::fromLatin1(name);
}

template <typename T> T* find(FrmMain& main, const char* name)
{
    return main.control<T>(nameOf(name));
}

void wireSlider(FrmMain& main, const SliderDef& def)
{
    auto* slider = find<ValueSlider>(main, def.name);
    // While the mouse holds the thumb its positions go through the camera's
    // pacer: the latest waits, the line never carries more than the camera
    // takes. A step of the keyboard or the wheel goes out at once.
    auto dragging = std::make_shared<bool>(false);
    QObject::connect(slider, &ValueSlider::mousePressed, slider, [dragging] { *dragging = true; });
    QObject::connect(slider, &ValueSlider::mouseReleased, slider, [dragging] { *dragging = false; });
    QObject::connect(slider, &ValueSlider::userMoved, slider, [&main, slider, def, dragging] {
        const Packet packet = sliderPacket(main.address(), def, slider->value());
        if (*dragging)
            main.session().dragPosition(packet);
        else
            main.session().sendPosition(packet);
    });
    if (def.kind == SliderKind::MoveOnly)
        return;
    // No status read may move the thumb under the operator's hand.
    QObject::connect(slider, &ValueSlider::mousePressed, slider, [&main] { main.session().refresh().sliderPressed(); });
    QObject::connect(slider, &ValueSlider::mouseReleased, slider, [&main, slider, def] {
        main.session().refresh().sliderReleased(main.tick(QStringLiteral("AutoRefresh"))->isChecked());
        // The last packet on the line always carries the final position.
        if (def.kind == SliderKind::Resending)
            main.session().sendPosition(sliderPacket(main.address(), def, slider->value()));
    });
}

void wireStep(FrmMain& main, const StepDef& def)
{
    auto* button = find<QPushButton>(main, def.name);
    QObject::connect(button, &QPushButton::clicked, button, [&main, def] {
        for (int i = 0; i < def.count; ++i)
            sendCommand(main, cameraCommand(main.address(), {def.bodies[i][0], def.bodies[i][1]}));
    });
}

void wireHold(FrmMain& main, const HoldDef& def)
{
    // Through the camera's pacer: a release ends the movement even inside a
    // status read (the read disables or hides the button, or opens a box),
    // and its stop goes again while the camera does not acknowledge it.
    auto* button = find<HoldButton>(main, def.name);
    QLineEdit* speed = def.speedBox ? find<QLineEdit>(main, def.speedBox) : nullptr;
    QObject::connect(button, &HoldButton::held, button, [&main, def, speed] {
        const int address = main.address();
        main.session().driveByHand(
            holdMovePacket(address, def, speed ? speed->text() : QString(), main.session().panTiltModel()),
            holdStopPacket(address, def));
    });
    QObject::connect(button, &HoldButton::releasedHold, button, [&main, def] {
        main.session().stopByHand(holdStopPacket(main.address(), def));
    });
}

// On the models that need it, "shutter slower" also steps the panel's own
// shutter slider and value box one row down, from above the floor row.
void stepShutterLocally(FrmMain& main)
{
    if (!stepsShutterLocally(main.modelVersion->text()))
        return;
    auto* slider = main.control<ValueSlider>(QStringLiteral("ShutterSlider"));
    const int position = slider->value();
    if (position <= kLocalShutterFloor)
        return;
    const int row = position - 1;
    const QStringList& column = main.labels.shutter[main.videoSystem == 1 ? 1 : 0];
    if (const auto text = labelAt(column, row))
        main.control<QLineEdit>(QStringLiteral("ShutterValue"))->setText(*text);
    slider->setValue(row);
}

} // namespace

bool refusedForLostLink(FrmMain& main)
{
    return main.session().refuseIfLinkLost();
}

void sendCommand(FrmMain& main, const Packet& packet)
{
    main.session().command(packet);
}

void installValueControls(FrmMain& main)
{
    for (const SliderDef& def : sliderDefs())
        wireSlider(main, def);
    for (const StepDef& def : stepDefs())
        wireStep(main, def);
    for (const HoldDef& def : holdDefs())
        wireHold(main, def);

    // The focus can never be set nearer than the near limit, whoever moves it.
    auto* focus = main.control<ValueSlider>(QStringLiteral("FocusSlider"));
    auto* nearLimit = main.control<ValueSlider>(QStringLiteral("FocusNearLimitSlider"));
    QObject::connect(focus, &QAbstractSlider::valueChanged, focus, [focus, nearLimit](int value) {
        if (value > nearLimit->value())
            focus->setValue(nearLimit->value());
    });

    // Connected after the step itself, so the packet goes out first.
    auto* slower = main.control<QPushButton>(QStringLiteral("ShutterSlow"));
    QObject::connect(slower, &QPushButton::clicked, slower, [&main] { stepShutterLocally(main); });
}

void installCameraControls(FrmMain& main)
{
    installValueControls(main);
    installLensControls(main);
    installExposureControls(main);
    installWhiteBalanceControls(main);
    installPictureControls(main);
    installMemoryControls(main);
    installDisplayControls(main);
}

} // namespace peltro
