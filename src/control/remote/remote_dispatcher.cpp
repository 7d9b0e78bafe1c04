#include "remote_dispatcher.h"

#include <algorithm>
#include <cmath>

namespace peltro {

namespace {

using Outcome = CameraOperations::Outcome;
using CameraInfo = CameraOperations::CameraInfo;
using PresetOp = CameraOperations::PresetOp;

enum class Command {
    Select, Refresh, Subscribe, Unsubscribe,
    PanTilt, Zoom, Focus, Stop, Home, PresetRecall, PresetSet, PresetReset, AutoFocus, OnePush, Power,
};
enum class Args { Trigger, Speed, TwoSpeeds, Camera, Preset, OnOff, Port };

struct Entry {
    const char* tail;
    Command command;
    Args args;
};

// After "/peltro".
constexpr Entry kGlobal[] = {
    {"/select", Command::Select, Args::Camera},
    {"/refresh", Command::Refresh, Args::Trigger},
    {"/subscribe", Command::Subscribe, Args::Port},
    {"/unsubscribe", Command::Unsubscribe, Args::Port},
};
// After "/peltro/cam/N".
constexpr Entry kCamera[] = {
    {"/pantilt", Command::PanTilt, Args::TwoSpeeds},
    {"/zoom", Command::Zoom, Args::Speed},
    {"/focus", Command::Focus, Args::Speed},
    {"/stop", Command::Stop, Args::Trigger},
    {"/home", Command::Home, Args::Trigger},
    {"/preset/recall", Command::PresetRecall, Args::Preset},
    {"/preset/set", Command::PresetSet, Args::Preset},
    {"/preset/reset", Command::PresetReset, Args::Preset},
    {"/focus/auto", Command::AutoFocus, Args::OnOff},
    {"/focus/onepush", Command::OnePush, Args::Trigger},
    {"/power", Command::Power, Args::OnOff},
};

const QString kPrefix = QStringLiteral("/peltro");
const QString kCameraPrefix = QStringLiteral("/peltro/cam/");

QString linkLostText()
{
    return QStringLiteral("Link lost: the cameras cannot be reached.");
}

QString notInChainText(int address)
{
    return QStringLiteral("Camera %1 is not in the chain.").arg(address);
}

QString noHeadText(int address, const CameraInfo& info)
{
    return info.model.isEmpty() ? QStringLiteral("Camera %1 has no pan-tilt head.").arg(address)
                                : QStringLiteral("Camera %1 (%2) has no pan-tilt head.").arg(address).arg(info.model);
}

QString usageText(const QString& path, Args args)
{
    const char* usage = "";
    switch (args) {
    case Args::Trigger: usage = "takes no argument (or one button value)"; break;
    case Args::Speed: usage = "needs one speed from -1 to 1"; break;
    case Args::TwoSpeeds: usage = "needs a pan and a tilt speed, each from -1 to 1"; break;
    case Args::Camera: usage = "needs a camera number from 1 to 7"; break;
    case Args::Preset: usage = "needs a preset number"; break;
    case Args::OnOff: usage = "needs 1 (on) or 0 (off)"; break;
    case Args::Port: usage = "takes no argument, or the UDP port to send to"; break;
    }
    return QStringLiteral("%1 %2.").arg(path, QLatin1String(usage));
}

QString outOfRangeText(const QString& path, const OscArg& value, const QString& range)
{
    return QStringLiteral("%1: %2 is out of range (%3).").arg(path, value.toString(), range);
}

QString shortPath(const QString& path)
{
    return path.size() > 80 ? path.left(77) + QStringLiteral("...") : path;
}

struct Parsed {
    const Entry* entry = nullptr;
    int camera = 0;
};

std::optional<Parsed> parsePath(const QString& path)
{
    if (path.startsWith(kCameraPrefix)) {
        const QString rest = path.mid(kCameraPrefix.size());
        const qsizetype slash = rest.indexOf(QLatin1Char('/'));
        if (slash < 1 || slash > 3)
            return std::nullopt;
        int camera = 0;
        for (qsizetype i = 0; i < slash; ++i) {
            const QChar c = rest.at(i);
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
            camera = camera * 10 + (c.unicode() - '0');
        }
        const QStringView tail = QStringView(rest).mid(slash);
        for (const Entry& e : kCamera) {
            if (tail == QLatin1String(e.tail))
                return Parsed{&e, camera};
        }
        return std::nullopt;
    }
    if (!path.startsWith(kPrefix))
        return std::nullopt;
    const QStringView tail = QStringView(path).mid(kPrefix.size());
    for (const Entry& e : kGlobal) {
        if (tail == QLatin1String(e.tail))
            return Parsed{&e, 0};
    }
    return std::nullopt;
}

// The arguments of one message, read against its entry.
struct Values {
    double speed[2] = {0, 0};
    double whole = 0;        // an integral value within int, range not yet checked against the camera
    bool hasWhole = false;
    bool released = false;   // a button's value 0
};

bool isSpeed(const OscArg& a)
{
    return a.kind == OscArg::Kind::Int || a.kind == OscArg::Kind::Float;
}

// A speed in -1..1, or the words why not.
std::optional<QString> readSpeed(const QString& path, const OscArg& a, double& out)
{
    if (!std::isfinite(a.number) || a.number < -1 || a.number > 1)
        return outOfRangeText(path, a, QStringLiteral("-1 to 1"));
    out = a.number;
    return std::nullopt;
}

// A whole number (1.0 and true count) in lo..hi, or the words why not.
std::optional<QString> readWhole(const QString& path, const OscArg& a, double lo, double hi, const QString& range,
                                 double& out)
{
    if (!std::isfinite(a.number) || a.number != std::round(a.number)) {
        if (std::isfinite(a.number) && a.number >= lo && a.number <= hi)
            return QStringLiteral("%1: %2 is not a whole number.").arg(path, a.toString());
        return outOfRangeText(path, a, range);
    }
    if (a.number < lo || a.number > hi)
        return outOfRangeText(path, a, range);
    out = a.number;
    return std::nullopt;
}

// Reads the arguments; the words of a refusal when they do not fit.
std::optional<QString> readArgs(const QString& path, Args kind, const QList<OscArg>& args, Values& v)
{
    const qsizetype n = args.size();
    switch (kind) {
    case Args::Trigger:
        if (n == 0)
            return std::nullopt;
        if (n > 1 || !args[0].isNumber() || !std::isfinite(args[0].number))
            return usageText(path, kind);
        v.released = args[0].number == 0;
        return std::nullopt;
    case Args::Speed:
        if (n != 1 || !isSpeed(args[0]))
            return usageText(path, kind);
        return readSpeed(path, args[0], v.speed[0]);
    case Args::TwoSpeeds:
        if (n != 2 || !isSpeed(args[0]) || !isSpeed(args[1]))
            return usageText(path, kind);
        if (auto e = readSpeed(path, args[0], v.speed[0]))
            return e;
        return readSpeed(path, args[1], v.speed[1]);
    case Args::Camera:
        if (n != 1 || !args[0].isNumber())
            return usageText(path, kind);
        v.hasWhole = true;
        return readWhole(path, args[0], 1, 7, QStringLiteral("1 to 7"), v.whole);
    case Args::Preset:
        if (n != 1 || !args[0].isNumber())
            return usageText(path, kind);
        v.hasWhole = true;
        // The camera's own range is checked once the camera is known; what
        // lies far outside any stays far outside.
        if (std::isfinite(args[0].number) && args[0].number != std::round(args[0].number))
            return QStringLiteral("%1: %2 is not a whole number.").arg(path, args[0].toString());
        v.whole = std::isfinite(args[0].number) ? std::clamp(args[0].number, -1e6, 1e6) : 1e6;
        return std::nullopt;
    case Args::OnOff:
        if (n != 1 || !args[0].isNumber())
            return usageText(path, kind);
        v.hasWhole = true;
        return readWhole(path, args[0], 0, 1, QStringLiteral("0 or 1"), v.whole);
    case Args::Port:
        if (n == 0)
            return std::nullopt;
        if (n > 1 || !args[0].isNumber())
            return usageText(path, kind);
        v.hasWhole = true;
        return readWhole(path, args[0], 1, 65535, QStringLiteral("1 to 65535"), v.whole);
    }
    return usageText(path, kind);
}

// Signed steps of a range 1..max for a speed in -1..1; not 0 stays not 0.
// A range of 0 (one fixed speed) gives the direction alone.
int steps(double speed, int max)
{
    if (speed == 0)
        return 0;
    if (max <= 0)
        return speed > 0 ? 1 : -1;
    const int s = std::clamp(int(std::lround(std::fabs(speed) * max)), 1, max);
    return speed > 0 ? s : -s;
}

QString outcomeText(Outcome outcome, int address, const QString& path, const CameraInfo& info)
{
    switch (outcome) {
    case Outcome::Done: break;
    case Outcome::LinkLost: return linkLostText();
    case Outcome::NotInChain: return notInChainText(address);
    case Outcome::NoPanTilt: return noHeadText(address, info);
    case Outcome::OutOfRange: return QStringLiteral("%1: out of range for camera %2.").arg(path).arg(address);
    case Outcome::Busy: return QStringLiteral("Camera %1 is busy: %2 was not carried out.").arg(address).arg(path);
    }
    return {};
}

} // namespace

RemoteDispatcher::RemoteDispatcher(CameraOperations& operations, Clock& clock, QObject* parent)
    : QObject(parent), m_ops(&operations), m_clock(clock)
{
    connect(&operations, &CameraOperations::linkChanged, this, [this](bool up) {
        if (!up)
            stopMoved(QStringLiteral("link lost"));
    });
}

RemoteDispatcher::~RemoteDispatcher()
{
    stopMoved(QStringLiteral("remote control closed"));
}

RemoteDispatcher::Result RemoteDispatcher::dispatch(const OscMessage& m)
{
    auto refuse = [](const QString& text) { return Result{Result::Refused, text, 0}; };
    const std::optional<Parsed> parsed = parsePath(m.path);
    if (!parsed)
        return refuse(QStringLiteral("Unknown address %1.").arg(shortPath(m.path)));
    const Entry& entry = *parsed->entry;
    const QString& path = m.path;   // one of the table's: short

    Values v;
    if (auto error = readArgs(path, entry.args, m.args, v))
        return refuse(*error);
    if (v.released)
        return {Result::Ignored, {}, 0};

    if (entry.command == Command::Subscribe || entry.command == Command::Unsubscribe) {
        if (m_ops)
            m_ops->noteSurfaceEvent(Surface::Remote, m.from.toString(), m.toString());
        return {entry.command == Command::Subscribe ? Result::Subscribe : Result::Unsubscribe, {},
                v.hasWhole ? int(v.whole) : 0};
    }

    if (!m_ops || !m_ops->linkUp())
        return refuse(linkLostText());
    CameraOperations& ops = *m_ops;

    int address = parsed->camera;
    if (entry.command == Command::Select)
        address = int(v.whole);
    if (entry.command == Command::Refresh)
        address = ops.selectedCamera();
    else if (address < 1 || address > 7 || !ops.camera(address).inChain)
        return refuse(notInChainText(address));
    const CameraInfo info = ops.camera(address);

    if ((entry.command == Command::PanTilt || entry.command == Command::Home) && !info.panTilt)
        return refuse(noHeadText(address, info));
    if (entry.args == Args::Preset) {
        const int first = info.firstPreset;
        const int last = info.firstPreset + info.presetCount - 1;
        if (v.whole < first || v.whole > last)
            return refuse(outOfRangeText(path, m.args[0], QStringLiteral("%1 to %2").arg(first).arg(last)));
    }

    const QString source = m.from.toString();
    ops.noteSurfaceEvent(Surface::Remote, source, m.toString());
    const int whole = int(v.whole);
    int first = 0, second = 0;
    Outcome outcome = Outcome::Done;
    switch (entry.command) {
    case Command::Select: outcome = ops.select(address, Surface::Remote); break;
    case Command::Refresh: outcome = ops.refreshOnce(Surface::Remote); break;
    case Command::PanTilt:
        first = steps(v.speed[0], info.maxPanSpeed);
        second = steps(v.speed[1], info.maxTiltSpeed);
        outcome = ops.panTilt(address, first, second, Surface::Remote);
        break;
    case Command::Zoom:
        first = steps(v.speed[0], info.maxZoomSpeed);
        outcome = ops.zoom(address, first, Surface::Remote);
        break;
    case Command::Focus:
        first = steps(v.speed[0], info.maxFocusSpeed);
        outcome = ops.focus(address, first, Surface::Remote);
        break;
    case Command::Stop: outcome = ops.stop(address, Surface::Remote); break;
    case Command::Home: outcome = ops.home(address, Surface::Remote); break;
    case Command::PresetRecall: outcome = ops.preset(address, PresetOp::Recall, whole, Surface::Remote); break;
    case Command::PresetSet: outcome = ops.preset(address, PresetOp::Set, whole, Surface::Remote); break;
    case Command::PresetReset: outcome = ops.preset(address, PresetOp::Reset, whole, Surface::Remote); break;
    case Command::AutoFocus: outcome = ops.setAutoFocus(address, whole != 0, Surface::Remote); break;
    case Command::OnePush: outcome = ops.onePushFocus(address, Surface::Remote); break;
    case Command::Power: outcome = ops.setPower(address, whole != 0, Surface::Remote); break;
    case Command::Subscribe:
    case Command::Unsubscribe: break;
    }
    if (outcome != Outcome::Done)
        return refuse(outcomeText(outcome, address, path, info));

    // What the camera now does at the remote control's command.
    switch (entry.command) {
    case Command::PanTilt: moved(address, PanTiltAxis, first != 0 || second != 0, source); break;
    case Command::Zoom: moved(address, ZoomAxis, first != 0, source); break;
    case Command::Focus: moved(address, FocusAxis, first != 0, source); break;
    // A move to a place of its own replaces the motions it overrides.
    case Command::Home: moved(address, PanTiltAxis, false, source); break;
    case Command::Stop:
    case Command::PresetRecall:
    case Command::Power:
        moved(address, Axis(PanTiltAxis | ZoomAxis | FocusAxis), false, source);
        break;
    default: break;
    }
    return {Result::Done, {}, 0};
}

void RemoteDispatcher::moved(int address, Axis axis, bool on, const QString& source)
{
    Motion& motion = m_motion[size_t(address)];
    if (on)
        motion.axes |= axis;
    else
        motion.axes &= ~unsigned(axis);
    motion.source = source;
    if (!motion.axes) {
        if (motion.hold)
            motion.hold->stop();
        return;
    }
    if (!motion.hold) {
        motion.hold = std::make_unique<ClockTimer>(m_clock);
        connect(motion.hold.get(), &ClockTimer::timeout, this, [this, address] {
            stopCamera(address, QStringLiteral("no motion message for %1 ms").arg(m_holdMs));
        });
    }
    // Every motion message of the camera starts the hold anew.
    motion.hold->start(m_holdMs / 1000.0);
}

void RemoteDispatcher::stopCamera(int address, const QString& why)
{
    Motion& motion = m_motion[size_t(address)];
    motion.axes = 0;
    if (motion.hold)
        motion.hold->stop();
    if (!m_ops)
        return;
    m_ops->noteSurfaceEvent(Surface::Remote, motion.source,
                            QStringLiteral("/peltro/cam/%1/stop (%2)").arg(address).arg(why));
    m_ops->stop(address, Surface::Remote);
}

void RemoteDispatcher::stopMoved(const QString& why)
{
    for (int address = 1; address <= 7; ++address) {
        if (m_motion[size_t(address)].axes)
            stopCamera(address, why);
    }
}

QList<int> RemoteDispatcher::movingCameras() const
{
    QList<int> out;
    for (int address = 1; address <= 7; ++address) {
        if (m_motion[size_t(address)].axes)
            out.append(address);
    }
    return out;
}

} // namespace peltro
