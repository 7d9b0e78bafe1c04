#include "camera_session.h"

#include "alarm_packets.h"
#include "chain_packets.h"
#include "panel_switches.h"
#include "setting_packets.h"

#include <algorithm>

namespace peltro {

CameraSession::CameraSession(PortObject& port, Clock& clock, QObject* parent)
    : CameraOperations(parent), m_clock(clock), m_link(port, clock, this), m_refresh(this)
{
    for (auto& row : m_titles)
        row.fill(27);
    connect(&m_link, &Link::commandGoing, &m_refresh, &RefreshMachine::commandGoing);
    connect(&m_link, &Link::replyEnded, this, &CameraSession::onReplyEnded);
    connect(&m_link, &Link::lost, this, &CameraSession::onLost);
    connect(&m_link, &Link::mayBeBack, this, &CameraSession::onMayBeBack);
    connect(&m_link, &Link::refused, this, [this](const QString& reason) {
        Q_EMIT linkNews({LinkNews::Tone::Alarm,
                         QStringLiteral("Not sent: link lost: %1. The panel reopens the port when it is back.")
                             .arg(reason)});
    });
    connect(&m_refresh, &RefreshMachine::readDue, this, [this] { readStatus(); });

    m_clearWatch.setSingleShot(true);
    connect(&m_clearWatch, &QTimer::timeout, this, &CameraSession::clearNotBack);
    m_recoveryClearWait.setSingleShot(true);
    connect(&m_recoveryClearWait, &QTimer::timeout, this, [this] { afterRecoveryClear(false); });
}

CameraSession::~CameraSession() = default;

std::optional<Identity> CameraSession::identity(int address) const
{
    if (address < 1 || address > 7)
        return std::nullopt;
    return m_identities[address];
}

void CameraSession::setAddress(int address)
{
    if (address == m_address)
        return;
    m_address = address;
    Q_EMIT addressChanged(address);
    Q_EMIT selectedChanged(address);
}

TitleRow& CameraSession::titleRow(int address)
{
    return m_titles[std::clamp(address, 0, int(m_titles.size()) - 1)];
}

// --- replies ----------------------------------------------------------------

void CameraSession::onReplyEnded(const ReplyEnd& end)
{
    // A running preset looks at each reply as it ends, not at the whole
    // window: an earlier command's completion may still stand in it.
    if (m_preset && !m_preset->ended()) {
        if (!end.newest)
            return;
        if (end.newest->kind == ReplyKind::NetworkChange) {
            Q_EMIT networkChange();
            return;
        }
        if (!m_preset->takeReply(*end.newest))
            m_refresh.commandGoing();
        return;
    }
    if (end.finishing) {
        m_refresh.commandFinished();
        Q_EMIT commandEnded();
    }
    else if (end.acknowledge)
        m_refresh.commandGoing();
    else if (end.networkChange)
        Q_EMIT networkChange();
}

// --- commands ---------------------------------------------------------------

SendResult CameraSession::command(const Packet& packet)
{
    return m_link.SD(packet, SendMode::Command);
}

void CameraSession::writeCameraId(int id)
{
    command(cameraIdPacket(m_address, id));
    Q_EMIT cameraIdWritten(id);
}

void CameraSession::pauseBetweenCommands(double seconds)
{
    // Blocks without returning to the event loop, and without spinning.
    m_clock.sleep(seconds);
}

void CameraSession::commandsApart(const Packet& first, double seconds, const Packet& second)
{
    command(first);
    // The pause runs on the link's stopwatch, sleeping between looks
    // rather than spinning.
    m_link.WaitCheck(0);   // a stopwatch left armed would cut the wait short
    const double until = m_clock.now() + seconds;
    while (!m_link.WaitCheck(seconds))
        m_clock.sleep(qMax(0.001, until - m_clock.now()));
    command(second);
}

SendResult CameraSession::windowCommand(const Packet& packet)
{
    return m_link.sendForWindow(packet);
}

QByteArray CameraSession::exchange(const Packet& packet, int count)
{
    m_link.SD(packet, SendMode::Silent);
    return m_link.WaitReply(count);
}

std::optional<QByteArray> CameraSession::inquire(const Packet& packet, int count, int tries,
                                                 const std::function<bool(const QByteArray&)>& check)
{
    for (int t = 0; t < tries; ++t) {
        m_link.SD(packet, SendMode::Silent);
        const QByteArray answer = m_link.WaitReply(count);
        if (check(answer))
            return answer;
        if (m_link.portLost())
            break;
    }
    return std::nullopt;
}

PresetOperation* CameraSession::startPreset(PresetOperation::Kind kind, int index, int address)
{
    // Refused while a status read runs: nothing happens at all; on a lost
    // link the operator is told.
    if (!m_link.RefreshNotGoCheck() || m_link.refuseIfLost())
        return nullptr;
    if (m_preset)
        m_preset->expireIfOverdue();
    if (m_preset && !m_preset->ended())
        return nullptr;
    if (address == 0)
        address = m_address;
    auto* op = new PresetOperation(kind, index, address, m_clock, this);
    m_preset = op;
    connect(op, &PresetOperation::finished, this, [this, op] {
        m_refresh.presetEnded();
        Q_EMIT commandEnded();
        op->deleteLater();
    });
    Q_EMIT presetStarted(op);
    command(memoryPacket(address, presetOp(int(kind)), index));
    // With auto refresh off, one status read follows the recall's end.
    if (kind == PresetOperation::Kind::Recall)
        m_refresh.readOnceAfter(RefreshMachine::kInterval);
    return op;
}

void CameraSession::memory(PresetOperation::Kind kind, int number)
{
    command(memoryPacket(m_address, presetOp(int(kind)), number));
    if (kind != PresetOperation::Kind::Recall)
        return;
    // The recalled settings are read at once. The read takes the recall's
    // own replies off the line, so auto refresh is resumed here rather than
    // left waiting for a completion that will not be seen.
    readStatus();
    m_refresh.commandFinished();
}

// --- alarm settings ---------------------------------------------------------

bool CameraSession::readAlarmSettings()
{
    using namespace alarm;
    const int address = m_address;
    AlarmSettings& a = m_alarm;
    const bool read =
        inquire(detectInquiry(address), kByteAnswer, kMaxTries,
                [&a](const QByteArray& answer) {
                    if (!validAnswer(answer, kByteAnswer))
                        return false;
                    // Any other value than on or off leaves the flag.
                    if (const auto on = decodeDetect(answer))
                        a.on = *on;
                    return true;
                })
        && inquire(modeInquiry(address), kByteAnswer, kMaxTries,
                   [&a](const QByteArray& answer) {
                       const auto mode = decodeMode(answer);
                       if (mode)
                           a.mode = std::uint8_t(*mode);
                       return mode.has_value();
                   })
        && inquire(levelInquiry(address), kLevelAnswer, kMaxTries, [&a](const QByteArray& answer) {
               const auto levels = decodeLevels(answer);
               if (levels) {
                   a.dayLevel = levels->day;
                   a.nightLevel = levels->night;
                   a.currentLevel = levels->current;
               }
               return levels.has_value();
           });
    m_refresh.setAlarmOn(a.on);
    m_link.resumeReceiving();
    if (read)
        a.settingsRead = true;
    return read;
}

QString CameraSession::alarmNoAnswerText()
{
    return QStringLiteral("The camera did not answer the alarm inquiry.\nIts alarm settings are not known.");
}

// --- interface maintenance ---------------------------------------------------

void CameraSession::interfaceClear()
{
    command(chain::interfaceClear(0x80 + m_address));
}

void CameraSession::interfaceClearBroadcast()
{
    const Packet packet = chain::interfaceClear(chain::kBroadcast);
    m_clearWatch.stop();
    disconnect(m_clearReceived);
    // Refused (lost port, status read): nothing went out to come back.
    if (command(packet) != SendResult::Sent)
        return;
    m_clearSeen.clear();
    m_clearReceived = connect(&m_link, &Link::received, this, [this, packet](const QByteArray& bytes) {
        m_clearSeen += bytes;
        if (m_clearSeen.contains(packet.bytes())) {
            m_clearWatch.stop();
            disconnect(m_clearReceived);
        }
    });
    m_clearWatch.start(kBroadcastWaitMs);
}

void CameraSession::clearNotBack()
{
    disconnect(m_clearReceived);
    // A port lost meanwhile has its own words on the status line.
    if (m_link.portLost())
        return;
    // Nothing will finish the command now: auto refresh is not left suspended.
    m_refresh.commandFinished();
    Q_EMIT warning(QStringLiteral("I/F Clear(broadcast) failed: the broadcast did not come back around the "
                                  "camera chain within one second.\nCheck the cables and the cameras' power."));
}

bool CameraSession::addressSet()
{
    const bool sent = m_link.SD(chain::addressSet(), SendMode::ReadBack) == SendResult::Sent;
    const QByteArray a = m_link.WaitReply(4);
    // Only bytes that came off the line are shown: the filler of a missing
    // answer never crossed it.
    if (!m_link.lastWaitTimedOut())
        m_link.handleReceived(a);
    m_link.resumeReceiving();
    if (a.size() < 4 || quint8(a[0]) != 0x88 || quint8(a[1]) != 0x30 || quint8(a[3]) != 0xFF) {
        if (sent && !m_link.portLost())
            Q_EMIT warning(QStringLiteral("Address Set failed: the camera chain gave no valid answer within "
                                          "one second.\nThe cameras' addresses and the Select menu are "
                                          "unchanged."));
        return false;
    }
    m_count = std::clamp(int(quint8(a[2])) - 1, 0, 7);
    Q_EMIT chainCounted(m_count);
    Q_EMIT chainChanged();
    if (m_address > m_count) {
        m_address = 1;
        Q_EMIT addressChanged(1);
        Q_EMIT selectedChanged(1);
        readStatus();
    }
    return true;
}

void CameraSession::selectCamera(int address)
{
    m_address = address;
    m_modelIdentified = false;
    Q_EMIT addressChanged(address);
    Q_EMIT selectedChanged(address);
    readStatus();
}

bool CameraSession::setPowerOf(bool on)
{
    if (!m_link.RefreshNotGoCheck())
        return false;
    // On a lost port the panel would tell a power state the camera never got.
    if (m_link.refuseIfLost())
        return false;
    m_powerOn = on;
    Q_EMIT powerChanged(on);
    if (on) {
        m_modelIdentified = false;
        // The camera takes a while to come up: the first reads after the
        // power change are skipped, or, with auto refresh off, one read
        // follows the command's completion.
        m_refresh.powerOn(m_panTiltModel == kModelP3);
    }
    command(chain::power(m_address, on));
    return true;
}

void CameraSession::refreshErrorAnswered()
{
    m_refresh.errorWarningClosed();
    m_link.flushInput();
}

// --- start-up ---------------------------------------------------------------

void CameraSession::beginStartup()
{
    m_startup = true;
    m_refresh.startupBegins();
}

bool CameraSession::interfaceClearAnswered()
{
    m_link.SD(chain::interfaceClear(chain::kBroadcast), SendMode::Silent);
    const QByteArray answer = m_link.WaitReply(5);
    return !answer.isEmpty() && static_cast<quint8>(answer.at(0)) == 0x88;
}

std::optional<int> CameraSession::assignAddresses(const std::function<void()>& step)
{
    for (int attempt = 1; attempt <= kMaxTries; ++attempt) {
        m_link.SD(chain::addressSet(), SendMode::Silent);
        const QByteArray a = m_link.WaitReply(4);
        step();
        if (a.size() >= 4 && quint8(a[0]) == 0x88 && quint8(a[1]) == 0x30 && quint8(a[3]) == 0xFF) {
            m_count = std::clamp(int(quint8(a[2])) - 1, 0, 7);
            m_address = 1;
            Q_EMIT chainCounted(m_count);
            Q_EMIT chainChanged();
            return m_count;
        }
    }
    Q_EMIT warning(QStringLiteral("Address Set failed: the camera chain gave no valid answer in %1 attempts.\n"
                                  "Start-up goes on.")
                       .arg(kMaxTries));
    return std::nullopt;
}

std::optional<Identity> CameraSession::checkVersion(const std::function<void()>& step)
{
    for (int attempt = 1; attempt <= kMaxTries; ++attempt) {
        m_link.SD(chain::versionInquiry(m_address), SendMode::Silent);
        const QByteArray v = m_link.WaitReply(10);
        step();
        if (!isVersionAnswer(v))
            continue;
        // Only the addressed camera's own answer identifies it.
        const std::optional<Identity> id = identityOf(v);
        if (!id || quint8(v[0]) != 0x80 + 16 * m_address
            || (id->vendor != kVendorQuorin && id->vendor != kVendorTamiro))
            return std::nullopt;
        applyIdentity(*id);
        return id;
    }
    Q_EMIT warning(QStringLiteral("Camera Version Check failed: camera %1 gave no valid answer in %2 attempts.\n"
                                  "Start-up goes on.")
                       .arg(m_address)
                       .arg(kMaxTries));
    return std::nullopt;
}

void CameraSession::endStartup()
{
    m_startup = false;
    m_refresh.startupEnds();
}

// --- a lost link and its return ----------------------------------------------

void CameraSession::onLost(const QString& /*reason*/)
{
    // Reopened or closed on purpose before this news came: nothing to tell.
    if (!m_link.portLost())
        return;
    m_down = true;
    m_recovering = false;
    m_recoveryClearWait.stop();
    for (const auto& c : std::as_const(m_recoveryFinish))
        disconnect(c);
    m_recoveryFinish.clear();
    m_refresh.setLinkLost(true);
    Q_EMIT linkChanged(false);
    Q_EMIT linkNews({LinkNews::Tone::Alarm,
                     QStringLiteral("Link lost: %1. Nothing is sent until the port is back; the panel reopens it "
                                    "by itself.")
                         .arg(m_link.portError())});
}

void CameraSession::onMayBeBack()
{
    // Start-up looks for its port itself.
    if (!m_link.portLost() || m_recovering || m_startup)
        return;
    if (!m_link.reopenPort()) {
        Q_EMIT linkNews({LinkNews::Tone::Alarm,
                         QStringLiteral("Link lost: %1. The panel tries again when the device is there.")
                             .arg(m_link.portError())});
        return;
    }
    startRecovery();
}

void CameraSession::changePort(int comPort, const QString& speedText)
{
    m_recovering = false;
    m_recoveryClearWait.stop();
    for (const auto& c : std::as_const(m_recoveryFinish))
        disconnect(c);
    m_recoveryFinish.clear();
    m_link.closePort();
    if (!m_link.openPort(comPort, speedText)) {
        Q_EMIT linkNews({LinkNews::Tone::Alarm,
                         QStringLiteral("Com %1 did not open: %2. Nothing is sent; choose another in Tools > Com "
                                        "Setting.")
                             .arg(comPort)
                             .arg(m_link.portError())});
        return;
    }
    startRecovery();
}

void CameraSession::startRecovery()
{
    m_recovering = true;
    Q_EMIT linkNews({LinkNews::Tone::Busy,
                     QStringLiteral("Link reopened: %1. Clearing the cameras' interfaces and setting their addresses.")
                         .arg(m_link.currentDevice())});
    // The returned broadcast ends the interface clear like any command; what
    // follows waits until the receive handler has done with it.
    const auto answered = [this] { afterRecoveryClear(true); };
    m_recoveryFinish << connect(this, &CameraSession::commandEnded, this, answered, Qt::QueuedConnection);
    m_recoveryClearWait.start(interfaceClearWaitMs);
    command(chain::interfaceClear(chain::kBroadcast));
}

bool CameraSession::lostAgain()
{
    if (!m_link.portLost())
        return false;
    // onLost, queued, tells the operator.
    m_recovering = false;
    return true;
}

void CameraSession::afterRecoveryClear(bool answered)
{
    if (!m_recovering)
        return;
    m_recoveryClearWait.stop();
    for (const auto& c : std::as_const(m_recoveryFinish))
        disconnect(c);
    m_recoveryFinish.clear();
    if (lostAgain())
        return;
    const QString device = m_link.currentDevice();
    if (!answered) {
        m_recovering = false;
        m_down = false;
        m_refresh.setLinkLost(false);
        Q_EMIT linkChanged(true);
        Q_EMIT linkNews({LinkNews::Tone::Alarm,
                         QStringLiteral("Link reopened: %1, but no camera answers the interface clear. Check the "
                                        "cameras, then use Camera > I/F Clear(broadcast) and Address Set.")
                             .arg(device)});
        return;
    }
    // The cameras may have been powered off meanwhile, or changed: they get
    // their addresses again and the addressed one is identified afresh.
    m_modelIdentified = false;
    const bool addressed = addressSet();
    if (lostAgain())
        return;
    // Address Set has read the status itself when the address had to change.
    if (!m_modelIdentified)
        readStatus();
    if (lostAgain())
        return;
    m_recovering = false;
    m_down = false;
    m_refresh.setLinkLost(false);
    Q_EMIT linkChanged(true);
    if (!addressed) {
        Q_EMIT linkNews({LinkNews::Tone::Alarm,
                         QStringLiteral("Link back: %1 reopened and interfaces cleared, but Address Set got no valid "
                                        "answer. Check the cameras, then use Camera > Address Set.")
                             .arg(device)});
        return;
    }
    Q_EMIT linkNews({LinkNews::Tone::Good,
                     QStringLiteral("Link back: %1 reopened, interfaces cleared, addresses set, status read.")
                         .arg(device),
                     false});
}

} // namespace peltro
