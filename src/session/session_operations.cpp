// The operations a control surface may ask for, by camera address, with the
// packets the panel's own controls send for the same action.
#include "camera_session.h"

#include "camera_packets.h"
#include "chain_packets.h"
#include "pan_tilt_packets.h"
#include "panel_switches.h"
#include "value_table.h"

namespace peltro {

namespace {

enum MovingBits { PanTiltMotion = 1, ZoomMotion = 2, FocusMotion = 4 };

constexpr int kMaxPanSpeed = 0x18;    // the speeds of the full-speed buttons
constexpr int kMaxTiltSpeed = 0x17;
constexpr int kZoomSteps = 8;         // speed nibbles 0..7
constexpr int kZoomCommand = 0x07;
constexpr int kFocusCommand = 0x08;
constexpr int kDigitalZoomCommand = 0x06;
constexpr int kPhaseCommand = 0x05;

// The value a slider's packet sets, told apart by its command byte.
std::optional<MotionKind> positionKindOf(const Packet& packet)
{
    if (!packet.isValid() || packet.bytes().size() < 5)
        return std::nullopt;
    return MotionKind::position(quint8(packet.bytes().at(3)));
}

// The drive a hand-started packet (or its stop) belongs to, by its command.
std::optional<MotionKind> driveKindOf(const Packet& packet)
{
    if (!packet.isValid())
        return std::nullopt;
    const QByteArray& b = packet.bytes();
    const auto at = [&b](int i) { return quint8(b.at(i)); };
    if (b.size() == 9 && at(2) == 0x06 && at(3) == 0x01)
        return MotionKind::panTilt();
    if (b.size() != 6 || at(2) != 0x04)
        return std::nullopt;
    switch (at(3)) {
    case kZoomCommand: return MotionKind::zoom();
    case kDigitalZoomCommand: return MotionKind::digitalZoom();
    case kFocusCommand: return MotionKind::focus();
    case kPhaseCommand: return MotionKind::phase();
    }
    return std::nullopt;
}

} // namespace

CameraOperations::Outcome CameraSession::outcomeOf(SendResult result)
{
    switch (result) {
    case SendResult::Sent: return Outcome::Done;
    case SendResult::RefusedBusy: return Outcome::Busy;
    case SendResult::RefusedMalformed: return Outcome::OutOfRange;
    case SendResult::RefusedLinkLost:
    case SendResult::WriteFailed: return Outcome::LinkLost;
    }
    return Outcome::LinkLost;
}

CameraOperations::CameraInfo CameraSession::camera(int address) const
{
    CameraInfo info;
    info.address = address;
    if (address < 1 || address > 7)
        return info;
    info.inChain = address <= m_count;
    const Runtime& r = m_runtime[address];
    const std::optional<Identity>& id = m_identities[address];
    if (id) {
        info.model = id->name;
        info.panTilt = id->panTilt();
    }
    if (info.panTilt) {
        info.maxPanSpeed = r.maxPanSpeed > 0 ? qMin(r.maxPanSpeed, kMaxPanSpeed) : kMaxPanSpeed;
        info.maxTiltSpeed = r.maxTiltSpeed > 0 ? qMin(r.maxTiltSpeed, kMaxTiltSpeed) : kMaxTiltSpeed;
        info.firstPreset = 1;
        info.maxFocusSpeed = id && id->model == kSingleSpeedFocusModel ? 0 : kZoomSteps;
    } else {
        info.firstPreset = 0;
        info.maxFocusSpeed = kZoomSteps;
    }
    info.maxZoomSpeed = kZoomSteps;
    info.zoomPosition = r.zoomPosition;
    info.lastPreset = r.lastPreset;
    info.moving = r.movingKinds != 0;
    info.movedBy = r.movedBy;
    return info;
}

CameraOperations::Outcome CameraSession::checkTarget(int address, bool needsHead) const
{
    if (m_link.portLost())
        return Outcome::LinkLost;
    if (address < 1 || address > 7 || address > m_count)
        return Outcome::NotInChain;
    if (needsHead) {
        const std::optional<Identity>& id = m_identities[address];
        if (!id || !id->panTilt())
            return Outcome::NoPanTilt;
    }
    return Outcome::Done;
}

CameraOperations::Outcome CameraSession::sendTo(int /*address*/, const Packet& packet, Surface /*from*/)
{
    return outcomeOf(command(packet));
}

void CameraSession::setMoving(int address, int kind, bool moving, Surface from)
{
    Runtime& r = m_runtime[address];
    const int before = r.movingKinds;
    const int beforePreset = r.lastPreset;
    r.movingKinds = moving ? (r.movingKinds | kind) : (r.movingKinds & ~kind);
    if (moving) {
        r.movedBy = from;
        // A camera moved by hand is no longer where a preset put it.
        r.lastPreset = -1;
    }
    if (r.movingKinds != before || r.lastPreset != beforePreset)
        Q_EMIT cameraChanged(address);
}

CameraOperations::Outcome CameraSession::select(int address, Surface /*from*/)
{
    if (const Outcome o = checkTarget(address, false); o != Outcome::Done)
        return o;
    selectCamera(address);
    return Outcome::Done;
}

void CameraSession::dragPosition(const Packet& packet)
{
    const std::optional<MotionKind> kind = positionKindOf(packet);
    if (m_link.refuseIfLost() || !kind)
        return;
    pacer(packet.address()).setPosition(*kind, packet.bytes());
}

SendResult CameraSession::sendPosition(const Packet& packet)
{
    const SendResult result = command(packet);
    if (const std::optional<MotionKind> kind = positionKindOf(packet); kind && result == SendResult::Sent)
        pacer(packet.address()).dropWaiting(*kind);
    return result;
}

void CameraSession::driveByHand(const Packet& drive, const Packet& stop)
{
    const std::optional<MotionKind> kind = driveKindOf(drive);
    if (m_link.refuseIfLost() || !kind || !isMotionStop(stop.bytes()) || driveKindOf(stop) != kind)
        return;
    pacer(drive.address()).drive(*kind, drive.bytes(), stop.bytes());
}

void CameraSession::stopByHand(const Packet& stop)
{
    if (const std::optional<MotionKind> kind = driveKindOf(stop); kind && isMotionStop(stop.bytes()))
        pacer(stop.address()).stop(*kind, stop.bytes());
}

CameraOperations::Outcome CameraSession::pace(int address, MotionKind kind, const Packet& packet, const Packet& stopPacket,
                                              bool moves)
{
    MotionPacer& p = pacer(address);
    const bool taken = moves ? p.drive(kind, packet.bytes(), stopPacket.bytes()) : p.stop(kind, stopPacket.bytes());
    if (!taken)
        return m_link.portLost() ? Outcome::LinkLost : Outcome::OutOfRange;
    return Outcome::Done;
}

CameraOperations::Outcome CameraSession::panTilt(int address, int pan, int tilt, Surface from)
{
    if (const Outcome o = checkTarget(address, true); o != Outcome::Done)
        return o;
    const CameraInfo info = camera(address);
    if (qAbs(pan) > info.maxPanSpeed || qAbs(tilt) > info.maxTiltSpeed)
        return Outcome::OutOfRange;
    const Packet stopPacket =
        pantilt::drivePacket(address, pantilt::kFullSpeed, pantilt::kFullSpeed, pantilt::stopDrive(0));
    const bool moves = pan != 0 || tilt != 0;
    Packet packet;
    if (moves) {
        const pantilt::Drive drive{pan > 0 ? 2 : pan < 0 ? 1 : 3, tilt > 0 ? 1 : tilt < 0 ? 2 : 3};
        packet = pantilt::drivePacket(address, qMax(1, qAbs(pan)), qMax(1, qAbs(tilt)), drive);
    }
    const Outcome o = pace(address, MotionKind::panTilt(), packet, stopPacket, moves);
    if (o == Outcome::Done)
        setMoving(address, PanTiltMotion, moves, from);
    return o;
}

CameraOperations::Outcome CameraSession::zoom(int address, int speed, Surface from)
{
    if (const Outcome o = checkTarget(address, false); o != Outcome::Done)
        return o;
    if (qAbs(speed) > kZoomSteps)
        return Outcome::OutOfRange;
    const int param = speed == 0 ? 0x00 : (speed > 0 ? 0x20 : 0x30) + qAbs(speed) - 1;
    const Outcome o = pace(address, MotionKind::zoom(), cameraCommand(address, {kZoomCommand, param}),
                           cameraCommand(address, {kZoomCommand, 0x00}), speed != 0);
    if (o == Outcome::Done)
        setMoving(address, ZoomMotion, speed != 0, from);
    return o;
}

CameraOperations::Outcome CameraSession::focus(int address, int speed, Surface from)
{
    if (const Outcome o = checkTarget(address, false); o != Outcome::Done)
        return o;
    const CameraInfo info = camera(address);
    const int steps = info.maxFocusSpeed == 0 ? 1 : info.maxFocusSpeed;
    if (qAbs(speed) > steps)
        return Outcome::OutOfRange;
    int param = 0x00;
    if (speed != 0) {
        if (info.maxFocusSpeed == 0)
            param = speed > 0 ? 0x02 : 0x03;   // the single-speed focus drive
        else
            param = (speed > 0 ? 0x20 : 0x30) + qAbs(speed) - 1;
    }
    const Outcome o = pace(address, MotionKind::focus(), cameraCommand(address, {kFocusCommand, param}),
                           cameraCommand(address, {kFocusCommand, 0x00}), speed != 0);
    if (o == Outcome::Done)
        setMoving(address, FocusMotion, speed != 0, from);
    return o;
}

CameraOperations::Outcome CameraSession::stop(int address, Surface from)
{
    if (const Outcome o = checkTarget(address, false); o != Outcome::Done)
        return o;
    const std::optional<Identity>& id = m_identities[address];
    Outcome result = Outcome::Done;
    if (id && id->panTilt())
        result = panTilt(address, 0, 0, from);
    for (const Outcome o : {zoom(address, 0, from), focus(address, 0, from)})
        if (result == Outcome::Done)
            result = o;
    return result;
}

CameraOperations::Outcome CameraSession::home(int address, Surface from)
{
    if (const Outcome o = checkTarget(address, true); o != Outcome::Done)
        return o;
    const Outcome o = sendTo(address, pantilt::homePacket(address), from);
    if (o == Outcome::Done)
        setMoving(address, 0, true, from);
    return o;
}

CameraOperations::Outcome CameraSession::preset(int address, PresetOp op, int shownNumber, Surface /*from*/)
{
    if (const Outcome o = checkTarget(address, false); o != Outcome::Done)
        return o;
    const CameraInfo info = camera(address);
    const int index = shownNumber - info.firstPreset;
    if (index < 0 || index >= info.presetCount)
        return Outcome::OutOfRange;
    const auto kind = op == PresetOp::Set      ? PresetOperation::Kind::Set
                      : op == PresetOp::Recall ? PresetOperation::Kind::Recall
                                               : PresetOperation::Kind::Reset;
    if (info.panTilt) {
        if (!m_link.RefreshNotGoCheck())
            return Outcome::Busy;
        if (!startPreset(kind, index, address))
            return Outcome::Busy;
    } else if (address == m_address) {
        memory(kind, index);
    } else if (const Outcome o = outcomeOf(command(memoryPacket(address, presetOp(int(kind)), index)));
               o != Outcome::Done) {
        return o;
    }
    if (op == PresetOp::Recall) {
        m_runtime[address].lastPreset = shownNumber;
        Q_EMIT cameraChanged(address);
    }
    return Outcome::Done;
}

CameraOperations::Outcome CameraSession::setAutoFocus(int address, bool on, Surface from)
{
    if (const Outcome o = checkTarget(address, false); o != Outcome::Done)
        return o;
    return sendTo(address, panelPacket(address, on ? PanelCommand::AutoFocus : PanelCommand::ManualFocus), from);
}

CameraOperations::Outcome CameraSession::onePushFocus(int address, Surface from)
{
    if (const Outcome o = checkTarget(address, false); o != Outcome::Done)
        return o;
    return sendTo(address, panelPacket(address, PanelCommand::AFTrigger), from);
}

CameraOperations::Outcome CameraSession::setPower(int address, bool on, Surface from)
{
    if (const Outcome o = checkTarget(address, false); o != Outcome::Done)
        return o;
    if (address == m_address)
        return setPowerOf(on) ? Outcome::Done : (m_link.portLost() ? Outcome::LinkLost : Outcome::Busy);
    return sendTo(address, chain::power(address, on), from);
}

CameraOperations::Outcome CameraSession::refreshOnce(Surface /*from*/)
{
    if (m_link.portLost())
        return Outcome::LinkLost;
    refreshOnce();
    return Outcome::Done;
}

void CameraSession::noteSurfaceEvent(Surface from, const QString& source, const QString& what)
{
    Q_EMIT surfaceEvent(surfaceName(from), source, what);
}

} // namespace peltro
