// Remote control messages: any bytes read as an OSC message by liblo (any
// address, type tags and arguments) and dispatched to a recording chain,
// with time passing, the link coming and going and the chain answering
// with refusals of its own. Checked after every message:
//  - only operations of the address table reach the chain, each for a
//    camera in the chain (a stop for any camera 1..7), with arguments in the
//    camera's range: speeds within its steps and never 0 for a motion that
//    is not a stop, presets among the camera's, pan-tilt only on a head;
//  - nothing but a stop while the link is lost;
//  - every operation is noted in the traffic just before it is asked for;
//  - a refusal says why, briefly;
//  - once a hold has run out, nothing moves at the remote control's command.
//
// Input: [chain][heads][fixed-focus][outcome] then records of
// [length high][length low][message bytes][step]; step: low 4 bits times
// 50 ms pass, bit 4 turns the link over, bit 5 takes camera 7 out or in.

#include "fake_camera_operations.h"
#include "fuzz_support.h"
#include "remote_dispatcher.h"

#include <lo/lo.h>

using namespace peltro;
using namespace peltro::fuzz;
using peltro::test::FakeCameraOperations;

namespace {

using Outcome = CameraOperations::Outcome;

const char* const kOperations[] = {"select", "panTilt", "zoom", "focus", "stop", "home", "preset",
                                   "setAutoFocus", "onePushFocus", "setPower", "refreshOnce"};

bool withinSteps(int value, int max, bool zeroAllowed)
{
    if (value == 0)
        return zeroAllowed;
    const int limit = max > 0 ? max : 1;
    return value >= -limit && value <= limit;
}

// An operation as the fake records it, checked against the table.
void requireInTable(const FakeCameraOperations& ops, const QString& call, bool linkUp)
{
    const QStringList w = call.split(QLatin1Char(' '));
    const QByteArray bytes = call.toUtf8();
    const QString& op = w.at(0);
    if (op == QLatin1String("refresh")) {
        require(w.size() == 1 && linkUp, "a refresh out of the table", bytes);
        return;
    }
    require(w.size() >= 2, "an operation without a camera", bytes);
    bool ok = false;
    const int address = w.at(1).toInt(&ok);
    require(ok && address >= 1 && address <= 7, "an operation for no camera of the chain", bytes);
    const CameraOperations::CameraInfo info = ops.camera(address);
    if (op == QLatin1String("stop")) {
        require(w.size() == 2, "a stop with arguments", bytes);
        return;   // stops go out whatever else holds
    }
    require(linkUp, "an operation other than a stop while the link is lost", bytes);
    require(info.inChain, "an operation for a camera not in the chain", bytes);
    auto number = [&](int i) { return w.value(i).toInt(); };
    if (op == QLatin1String("select") || op == QLatin1String("onePush") || op == QLatin1String("home")) {
        require(w.size() == 2, "arguments where the table has none", bytes);
        require(op != QLatin1String("home") || info.panTilt, "home for a camera without a head", bytes);
    } else if (op == QLatin1String("panTilt")) {
        require(w.size() == 4 && info.panTilt, "pan-tilt for a camera without a head", bytes);
        require(withinSteps(number(2), info.maxPanSpeed, true) && withinSteps(number(3), info.maxTiltSpeed, true),
                "a pan-tilt speed out of the camera's steps", bytes);
    } else if (op == QLatin1String("zoom")) {
        require(w.size() == 3 && withinSteps(number(2), info.maxZoomSpeed, true), "a zoom speed out of the camera's steps", bytes);
    } else if (op == QLatin1String("focus")) {
        require(w.size() == 3 && withinSteps(number(2), info.maxFocusSpeed, true), "a focus speed out of the camera's steps", bytes);
    } else if (op == QLatin1String("preset")) {
        require(w.size() == 4 && (w.at(2) == QLatin1String("recall") || w.at(2) == QLatin1String("set") ||
                                  w.at(2) == QLatin1String("reset")),
                "a preset operation out of the table", bytes);
        require(number(3) >= info.firstPreset && number(3) < info.firstPreset + info.presetCount,
                "a preset the camera does not have", bytes);
    } else if (op == QLatin1String("autoFocus") || op == QLatin1String("power")) {
        require(w.size() == 3 && (w.at(2) == QLatin1String("on") || w.at(2) == QLatin1String("off")),
                "an on/off out of the table", bytes);
    } else {
        fail("an operation the table does not have", bytes);
    }
}

// The speeds the message asked for and the steps that went out agree on
// direction, and a motion that was asked for is never sent as a stop.
void requireSameDirection(const OscMessage& m, const QString& call)
{
    const QStringList w = call.split(QLatin1Char(' '));
    auto sign = [](double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; };
    if (w.at(0) == QLatin1String("panTilt") && m.args.size() == 2) {
        require(sign(m.args[0].number) == sign(w.at(2).toInt()) && sign(m.args[1].number) == sign(w.at(3).toInt()),
                "a pan-tilt step in another direction than asked", call.toUtf8());
    } else if ((w.at(0) == QLatin1String("zoom") || w.at(0) == QLatin1String("focus")) && m.args.size() == 1) {
        require(sign(m.args[0].number) == sign(w.at(2).toInt()), "a speed step in another direction than asked",
                call.toUtf8());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    startQt();
    Input in(data, size);
    FakeCameraOperations ops;
    const int chain = in.byte();
    const int heads = in.byte();
    const int fixedFocus = in.byte();
    const int outcome = in.byte();
    ops.removeCamera(1);
    for (int a = 1; a <= 7; ++a) {
        if (chain & (1 << (a - 1)) || a == 1) {
            const bool head = heads & (1 << (a - 1));
            ops.addCamera(a, head ? QStringLiteral("QUORIN-P3") : QStringLiteral("TAMIRO-J1A"), head);
            if (fixedFocus & (1 << (a - 1)))
                ops.info(a).maxFocusSpeed = 0;
        }
    }
    if (chain & 0x80)
        ops.setLink(false);
    // The chain itself refuses one kind of operation, or none.
    if (outcome & 0xF0) {
        ops.outcomes.insert(QLatin1String(kOperations[(outcome & 0x0F) % std::size(kOperations)]),
                            Outcome(((outcome >> 4) % 5) + 1));
    }
    ManualClock clock;
    RemoteDispatcher dispatcher(ops, clock);

    while (!in.empty()) {
        const int length = in.byte() << 8 | in.byte();
        QByteArray bytes = in.bytes(std::size_t(length));
        const int step = in.byte();

        int result = 0;
        if (lo_message message = lo_message_deserialise(bytes.data(), size_t(bytes.size()), &result)) {
            OscMessage m;
            m.path = QString::fromUtf8(lo_get_path(bytes.data(), bytes.size()));
            m.args = oscArgs(lo_message_get_types(message), lo_message_get_argv(message), lo_message_get_argc(message));
            m.from = {QHostAddress(QHostAddress::LocalHost), 53000};
            lo_message_free(message);

            const qsizetype before = ops.calls.size();
            const bool linkUp = ops.linkUp();
            const RemoteDispatcher::Result r = dispatcher.dispatch(m);
            if (r.kind == RemoteDispatcher::Result::Refused)
                require(!r.error.isEmpty() && r.error.size() <= 200, "a refusal without words, or too many",
                        r.error.toUtf8());
            const QStringList calls = ops.calls.mid(before);
            for (qsizetype i = 0; i < calls.size(); ++i) {
                if (calls[i].startsWith(QLatin1String("note ")))
                    continue;
                require(i > 0 && calls[i - 1].startsWith(QLatin1String("note ")), "an operation not noted first",
                        calls[i].toUtf8());
                requireInTable(ops, calls[i], linkUp);
                requireSameDirection(m, calls[i]);
            }
            require(calls.isEmpty() || !calls.last().startsWith(QLatin1String("note ")) ||
                        r.kind == RemoteDispatcher::Result::Subscribe || r.kind == RemoteDispatcher::Result::Unsubscribe,
                    "a note without its operation", calls.join(QLatin1Char('|')).toUtf8());
        }

        if (step & 0x10)
            ops.setLink(!ops.linkUp());
        if (step & 0x20) {
            if (ops.camera(7).inChain)
                ops.removeCamera(7);
            else
                ops.addCamera(7, QStringLiteral("QUORIN-P2"), true);
            Q_EMIT ops.chainChanged();
        }
        const qsizetype before = ops.calls.size();
        const int ticks = step & 0x0F;
        clock.advance(ticks * 0.05);
        for (const QString& call : ops.calls.mid(before)) {
            if (!call.startsWith(QLatin1String("note ")))
                require(call.startsWith(QLatin1String("stop ")), "time alone asked for more than a stop", call.toUtf8());
        }
        if (ticks * 50 >= dispatcher.holdMs() || !ops.linkUp())
            require(dispatcher.movingCameras().isEmpty(), "a motion outlived its hold or the link");
    }
    return 0;
}
