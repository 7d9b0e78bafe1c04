#include "camera_session.h"

#include "alarm_packets.h"
#include "chain_packets.h"
#include "panel_switches.h"
#include "setting_packets.h"
#include "waits.h"

#include <algorithm>

namespace peltro {

CameraSession::CameraSession(PortObject& port, Clock& clock, QObject* parent)
    : CameraOperations(parent), m_clock(clock), m_link(port, clock, this), m_refresh(this), m_answerDeadline(clock, this),
      m_serverCheckTimer(clock, this)
{
    connect(&m_serverCheckTimer, &ClockTimer::timeout, this, [this] { checkServer(); });
    connect(&m_answerDeadline, &ClockTimer::timeout, this, &CameraSession::readAfterFailedCommand);
    connect(this, &CameraSession::lineFree, this, &CameraSession::readOwed, Qt::QueuedConnection);
    for (auto& row : m_titles)
        row.fill(27);
    connect(&m_link, &Link::commandGoing, &m_refresh, &RefreshMachine::commandGoing);
    connect(&m_link, &Link::replyEnded, this, &CameraSession::onReplyEnded);
    connect(&m_link, &Link::lost, this, &CameraSession::onLost);
    connect(&m_link, &Link::mayBeBack, this, &CameraSession::onMayBeBack);
    connect(&m_link, &Link::refused, this, [this](const QString& reason) {
        if (m_stalled && !m_link.portLost()) {
            Q_EMIT linkNews({LinkNews::Tone::Alarm,
                             QStringLiteral("Not sent: the device server %1 passes nothing back. The command was "
                                            "dropped, not kept for later; the panel tells when the server answers.")
                                 .arg(m_link.currentDevice())});
            return;
        }
        Q_EMIT linkNews({LinkNews::Tone::Alarm,
                         QStringLiteral("Not sent: link lost: %1. The panel reopens the port when it is back.")
                             .arg(reason)});
    });
    connect(&m_refresh, &RefreshMachine::readDue, this, [this] { readStatus(); });

    for (int a = 1; a < int(m_pacers.size()); ++a)
        m_pacers[a] = std::make_unique<MotionPacer>(a, m_pacerLine, clock, this);
    // Queued: a pacer answered from inside the link's own signal would write
    // to the port from within its read.
    connect(&m_link, &Link::received, this, &CameraSession::routeToPacers, Qt::QueuedConnection);
    connect(this, &CameraSession::lineFree, this, [this] {
        for (int a = 1; a < int(m_pacers.size()); ++a)
            m_pacers[a]->lineFreed();
    }, Qt::QueuedConnection);
    connect(this, &CameraSession::linkChanged, this, [this](bool up) {
        for (int a = 1; a < int(m_pacers.size()); ++a) {
            if (up)
                m_pacers[a]->linkBack();
            else
                m_pacers[a]->linkLost();
        }
    });

    m_clearWatch.setSingleShot(true);
    connect(&m_clearWatch, &QTimer::timeout, this, &CameraSession::clearNotBack);
    m_recoveryClearWait.setSingleShot(true);
    connect(&m_recoveryClearWait, &QTimer::timeout, this, [this] { afterRecoveryClear(false); });
}

CameraSession::~CameraSession()
{
    // Exchanges still waiting go before the link they wait on.
    destroyJobs();
}

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
    watchReply(end);
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
    const SendResult result = m_link.SD(packet, SendMode::Command);
    // The addressed camera is to answer within a second: a command it
    // refuses or leaves unanswered is followed by one read of its state, so
    // that the panel shows what the camera has, not what was asked.
    if (result == SendResult::Sent && packet.address() == m_address && !packet.isInquiry()) {
        m_awaitedAnswer = m_address;
        m_answerDeadline.start(Link::kReplyLimit + m_link.lineTime(packet.size()));
    }
    return result;
}

void CameraSession::watchReply(const ReplyEnd& end)
{
    if (m_awaitedAnswer == 0 || !end.newest)
        return;
    switch (end.newest->kind) {
    case ReplyKind::Acknowledge:   // answered; an error may still follow it
        m_answerDeadline.stop();
        break;
    case ReplyKind::Completion:
        m_answerDeadline.stop();
        m_awaitedAnswer = 0;
        break;
    case ReplyKind::Error:
        m_answerDeadline.stop();
        m_awaitedAnswer = 0;
        readAfterFailedCommand();
        break;
    default:
        break;
    }
}

void CameraSession::readAfterFailedCommand()
{
    m_awaitedAnswer = 0;
    checkServerIfSilent();
    // Only a camera with status blocks shows its state in a read; a lost
    // link reads nothing.
    if (!m_modelIdentified || (m_panTiltFamily && m_panTiltModel == kModelP1) || m_link.portLost())
        return;
    m_readOwed = true;
    QMetaObject::invokeMethod(this, &CameraSession::readOwed, Qt::QueuedConnection);
}

void CameraSession::readOwed()
{
    // After the exchange or preset that holds the line.
    if (!m_readOwed || busy() || m_reading || m_startup || (m_preset && !m_preset->ended()))
        return;
    m_readOwed = false;
    readJob();
}

void CameraSession::writeCameraId(int id)
{
    // Shown only when it went out; a camera that refuses it is read again.
    if (command(cameraIdPacket(m_address, id)) == SendResult::Sent)
        Q_EMIT cameraIdWritten(id);
}

void CameraSession::commandsApart(Packet first, double seconds, Packet second)
{
    commandsApartJob(std::move(first), seconds, std::move(second));
}

Job CameraSession::commandsApartJob(Packet first, double seconds, Packet second)
{
    command(first);
    co_await Pause(m_clock, seconds);
    command(second);
}

Task<void> CameraSession::pause(double seconds)
{
    co_await Pause(m_clock, seconds);
}

SendResult CameraSession::windowCommand(const Packet& packet)
{
    return m_link.sendForWindow(packet);
}

Task<QByteArray> CameraSession::exchange(Packet packet, int count)
{
    LineHold line(*this);
    co_await stopsFirst();
    co_return co_await Ask(m_link, packet, count);
}

Task<std::optional<QByteArray>> CameraSession::inquire(Packet packet, int count, int tries,
                                                       std::function<bool(const QByteArray&)> check)
{
    LineHold line(*this);
    for (int t = 0; t < tries; ++t) {
        co_await stopsFirst();
        const QByteArray answer = co_await Ask(m_link, packet, count);
        if (check(answer))
            co_return answer;
        if (m_link.portLost())
            break;
    }
    co_return std::nullopt;
}

// --- motion pacing -----------------------------------------------------------

MotionPacer& CameraSession::pacer(int address)
{
    return *m_pacers[std::clamp(address, 1, int(m_pacers.size()) - 1)];
}

bool CameraSession::PacerLine::lineFree() const
{
    return !m_session.busy() && !m_session.m_link.portLost();
}

bool CameraSession::PacerLine::sendMotion(const MotionPacket& bytes)
{
    CameraSession& s = m_session;
    // In a gap between two exchanges the line is let go for the stop alone.
    const bool gap = s.m_stopGap && s.busy();
    if (gap)
        s.m_link.setExchangeRunning(false);
    const SendResult result = s.command(Packet::fromBytes(bytes));
    if (gap)
        s.m_link.setExchangeRunning(true);
    return result == SendResult::Sent;
}

void CameraSession::routeToPacers(const QByteArray& bytes)
{
    for (const char c : bytes) {
        m_replyBytes.append(c);
        if (quint8(c) != 0xFF) {
            if (m_replyBytes.size() > 16)   // no reply is this long: junk
                m_replyBytes.clear();
            continue;
        }
        const std::optional<ReplyPacket> reply = classifyReply(m_replyBytes);
        m_replyBytes.clear();
        if (!reply || reply->camera < 1 || reply->camera >= int(m_pacers.size()))
            continue;
        if (reply->kind == ReplyKind::Acknowledge)
            m_pacers[reply->camera]->acknowledged();
        else if (reply->kind == ReplyKind::Error)
            m_pacers[reply->camera]->failed();
    }
}

Task<void> CameraSession::stopsFirst()
{
    // A few rounds: a camera's stops go one at a time, each after the
    // acknowledge of the one before; the read is not held up for longer.
    constexpr int kRounds = 3;
    constexpr int kLongestStop = 9;
    for (int round = 0; round < kRounds && !m_link.portLost(); ++round) {
        int sent = 0;
        m_stopGap = true;
        for (int a = 1; a < int(m_pacers.size()); ++a) {
            if (m_pacers[a]->stopDue()) {
                m_pacers[a]->lineFreed();
                ++sent;
            }
        }
        m_stopGap = false;
        if (sent == 0)
            co_return;
        // Their acknowledges come in meanwhile and reach the pacers.
        co_await Pause(m_clock, sent * m_link.lineTime(kLongestStop + MotionPacer::kAckBytes) + kStopGapWait);
    }
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
        QMetaObject::invokeMethod(this, &CameraSession::readOwed, Qt::QueuedConnection);
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
    if (kind == PresetOperation::Kind::Recall)
        memoryRecall(number);
}

Job CameraSession::memoryRecall(int /*number*/)
{
    // The recalled settings are read at once. The read takes the recall's
    // own replies off the line, so auto refresh is resumed here rather than
    // left waiting for a completion that will not be seen.
    co_await statusReadDone();
    m_refresh.commandFinished();
}

// --- alarm settings ---------------------------------------------------------

Task<bool> CameraSession::readAlarmSettings()
{
    using namespace alarm;
    const int address = m_address;
    AlarmSettings& a = m_alarm;
    bool read = co_await inquire(detectInquiry(address), kByteAnswer, kMaxTries, [&a](const QByteArray& answer) {
        if (!validAnswer(answer, kByteAnswer))
            return false;
        // Any other value than on or off leaves the flag.
        if (const auto on = decodeDetect(answer))
            a.on = *on;
        return true;
    }) != std::nullopt;
    if (read)
        read = co_await inquire(modeInquiry(address), kByteAnswer, kMaxTries, [&a](const QByteArray& answer) {
            const auto mode = decodeMode(answer);
            if (mode)
                a.mode = std::uint8_t(*mode);
            return mode.has_value();
        }) != std::nullopt;
    if (read)
        read = co_await inquire(levelInquiry(address), kLevelAnswer, kMaxTries, [&a](const QByteArray& answer) {
            const auto levels = decodeLevels(answer);
            if (levels) {
                a.dayLevel = levels->day;
                a.nightLevel = levels->night;
                a.currentLevel = levels->current;
            }
            return levels.has_value();
        }) != std::nullopt;
    m_refresh.setAlarmOn(a.on);
    m_link.resumeReceiving();
    if (read)
        a.settingsRead = true;
    co_return read;
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

void CameraSession::addressSet()
{
    addressSetJob();
}

Job CameraSession::addressSetJob()
{
    co_await addressSetDone();
}

Task<bool> CameraSession::addressSetDone()
{
    if (busy()) {
        // Refused like any command while an exchange holds the line.
        m_link.SD(chain::addressSet(), SendMode::ReadBack);
        co_return false;
    }
    std::optional<LineHold> line;
    const bool sent = m_link.SD(chain::addressSet(), SendMode::ReadBack) == SendResult::Sent;
    if (sent)
        line.emplace(*this);
    const QByteArray a = co_await ReadBack(m_link, 4);
    // Only bytes that came off the line are shown: the filler of a missing
    // answer never crossed it.
    if (!m_link.lastWaitTimedOut())
        m_link.handleReceived(a);
    m_link.resumeReceiving();
    line.reset();
    if (a.size() < 4 || quint8(a[0]) != 0x88 || quint8(a[1]) != 0x30 || quint8(a[3]) != 0xFF) {
        if (sent && !m_link.portLost())
            Q_EMIT warning(QStringLiteral("Address Set failed: the camera chain gave no valid answer within "
                                          "one second.\nThe cameras' addresses and the Select menu are "
                                          "unchanged."));
        co_return false;
    }
    m_count = std::clamp(int(quint8(a[2])) - 1, 0, 7);
    Q_EMIT chainCounted(m_count);
    Q_EMIT chainChanged();
    if (m_address > m_count) {
        m_address = 1;
        Q_EMIT addressChanged(1);
        Q_EMIT selectedChanged(1);
        co_await statusReadDone();
    }
    co_return true;
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

Task<bool> CameraSession::interfaceClearAnswered()
{
    LineHold line(*this);
    const QByteArray answer = co_await Ask(m_link, chain::interfaceClear(chain::kBroadcast), 5);
    co_return !answer.isEmpty() && static_cast<quint8>(answer.at(0)) == 0x88;
}

Task<std::optional<int>> CameraSession::assignAddresses(std::function<void()> step)
{
    LineHold line(*this);
    for (int attempt = 1; attempt <= kMaxTries; ++attempt) {
        const QByteArray a = co_await Ask(m_link, chain::addressSet(), 4);
        step();
        if (a.size() >= 4 && quint8(a[0]) == 0x88 && quint8(a[1]) == 0x30 && quint8(a[3]) == 0xFF) {
            m_count = std::clamp(int(quint8(a[2])) - 1, 0, 7);
            m_address = 1;
            Q_EMIT chainCounted(m_count);
            Q_EMIT chainChanged();
            co_return m_count;
        }
    }
    Q_EMIT warning(QStringLiteral("Address Set failed: the camera chain gave no valid answer in %1 attempts.\n"
                                  "Start-up goes on.")
                       .arg(kMaxTries));
    co_return std::nullopt;
}

Task<std::optional<Identity>> CameraSession::checkVersion(std::function<void()> step)
{
    LineHold line(*this);
    for (int attempt = 1; attempt <= kMaxTries; ++attempt) {
        const QByteArray v = co_await Ask(m_link, chain::versionInquiry(m_address), 10);
        step();
        if (!isVersionAnswer(v))
            continue;
        // Only the addressed camera's own answer identifies it.
        const std::optional<Identity> id = identityOf(v);
        if (!id || quint8(v[0]) != 0x80 + 16 * m_address
            || (id->vendor != kVendorQuorin && id->vendor != kVendorTamiro))
            co_return std::nullopt;
        applyIdentity(*id);
        co_return id;
    }
    Q_EMIT warning(QStringLiteral("Camera Version Check failed: camera %1 gave no valid answer in %2 attempts.\n"
                                  "Start-up goes on.")
                       .arg(m_address)
                       .arg(kMaxTries));
    co_return std::nullopt;
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
    stopRecoveryWaits();
    m_refresh.setLinkLost(true);
    endHoldBack();
    Q_EMIT linkChanged(false);
    // A device server taken over by another client is left to it a while.
    const int retryMs = m_link.retryInMs();
    if (retryMs > 0) {
        Q_EMIT linkNews({LinkNews::Tone::Alarm,
                         QStringLiteral("Link lost: %1. Nothing is sent until the port is back; the panel tries "
                                        "again in %2 s.")
                             .arg(m_link.portError())
                             .arg((retryMs + 999) / 1000)});
        return;
    }
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
    startRecovery(true);
}

void CameraSession::changePort(int comPort, const QString& speedText)
{
    m_recovering = false;
    stopRecoveryWaits();
    m_link.closePort();
    if (!m_link.openPort(comPort, speedText)) {
        Q_EMIT linkNews({LinkNews::Tone::Alarm,
                         QStringLiteral("Com %1 did not open: %2. Nothing is sent; choose another in Tools > Com "
                                        "Setting.")
                             .arg(comPort)
                             .arg(m_link.portError())});
        return;
    }
    startRecovery(false);
}

void CameraSession::startRecovery(bool reconnection)
{
    m_recovering = true;
    endHoldBack();
    if (reconnection && m_clock.now() - m_lastRecoveryClearAt < kRecoveryClearGap) {
        // Cleared a short while ago: the address set alone shows whether
        // the cameras answer through the reopened port.
        Q_EMIT linkNews({LinkNews::Tone::Busy,
                         QStringLiteral("Link reopened: %1. Setting the cameras' addresses (their interfaces were "
                                        "cleared less than a minute ago).")
                             .arg(m_link.currentDevice())});
        afterRecoveryClear(true, false);
        return;
    }
    m_recoveryClearAt = m_clock.now();
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

Job CameraSession::afterRecoveryClear(bool answered, bool cleared)
{
    if (!m_recovering)
        co_return;
    stopRecoveryWaits();
    if (lostAgain())
        co_return;
    const QString device = m_link.currentDevice();
    // The port is up, the cameras are not.
    const auto unanswered = [this, &device](const QString& what) {
        linkReopened();
        Q_EMIT linkNews({LinkNews::Tone::Alarm,
                         QStringLiteral("Link reopened: %1, but no camera answers the %2. Check the cameras, then "
                                        "use Camera > I/F Clear(broadcast) and Address Set.")
                             .arg(device, what)});
    };
    if (!answered) {
        unanswered(QStringLiteral("interface clear"));
        co_return;
    }
    // The cameras may have been powered off meanwhile, or changed: they get
    // their addresses again and the addressed one is identified afresh.
    m_modelIdentified = false;
    const bool addressed = co_await addressSetDone();
    if (lostAgain())
        co_return;
    if (!addressed && !cleared) {
        unanswered(QStringLiteral("address set"));
        co_return;
    }
    // Address Set has read the status itself when the address had to change.
    if (!m_modelIdentified)
        co_await statusReadDone();
    if (lostAgain())
        co_return;
    linkReopened();
    // Counted once it has brought the link back: a return cut short clears again.
    if (cleared)
        m_lastRecoveryClearAt = m_recoveryClearAt;
    if (!addressed) {
        Q_EMIT linkNews({LinkNews::Tone::Alarm,
                         QStringLiteral("Link back: %1 reopened and interfaces cleared, but Address Set got no valid "
                                        "answer. Check the cameras, then use Camera > Address Set.")
                             .arg(device)});
        co_return;
    }
    Q_EMIT linkNews({LinkNews::Tone::Good,
                     (cleared ? QStringLiteral("Link back: %1 reopened, interfaces cleared, addresses set, status read.")
                              : QStringLiteral("Link back: %1 reopened, addresses set, status read."))
                         .arg(device),
                     false});
}

void CameraSession::stopRecoveryWaits()
{
    m_recoveryClearWait.stop();
    for (const auto& c : std::as_const(m_recoveryFinish))
        disconnect(c);
    m_recoveryFinish.clear();
}

void CameraSession::linkReopened()
{
    m_recovering = false;
    m_down = false;
    m_refresh.setLinkLost(false);
    Q_EMIT linkChanged(true);
}

// --- a device server that passes nothing back --------------------------------

void CameraSession::checkServerIfSilent()
{
    // Only over the network: a camera that is silent on a serial port says
    // nothing about the port. Anything that came back since the packet left
    // shows the server passes bytes on.
    if (!m_link.overNetwork() || m_link.portLost() || m_serverChecking || m_stalled)
        return;
    if (m_link.lastReceivedAt() >= m_link.lastWrittenAt())
        return;
    m_serverChecking = true;
    m_serverCheckWait = kFirstServerCheck;
    m_serverCheckTimer.start(0.0);
}

Job CameraSession::checkServer()
{
    if (!m_serverChecking || m_link.portLost()) {
        endHoldBack();
        co_return;
    }
    // After the exchange that holds the line.
    if (busy() || m_startup || m_recovering) {
        m_serverCheckTimer.start(0.1);
        co_return;
    }
    const bool answered = co_await interfaceClearAnswered();
    m_link.resumeReceiving();
    if (m_link.portLost() || !m_serverChecking) {
        endHoldBack();
        co_return;
    }
    const QString device = m_link.currentDevice();
    if (answered) {
        // The broadcast came back around the chain: the server passes bytes
        // on; what did not answer was a camera.
        const bool wasStalled = m_stalled;
        endHoldBack();
        if (wasStalled)
            Q_EMIT linkNews({LinkNews::Tone::Good,
                             QStringLiteral("The device server %1 answers again; commands go out.").arg(device),
                             false});
        co_return;
    }
    if (!m_stalled) {
        m_stalled = true;
        m_link.setHeldBack(true);
    }
    Q_EMIT linkNews({LinkNews::Tone::Alarm,
                     QStringLiteral("No answer through the device server %1: not even the interface clear came "
                                    "back. Commands are refused, not kept for later; the panel asks again in %2 s.")
                         .arg(device)
                         .arg(m_serverCheckWait)});
    m_serverCheckTimer.start(m_serverCheckWait);
    m_serverCheckWait = qMin(m_serverCheckWait * 2, kLastServerCheck);
}

void CameraSession::endHoldBack()
{
    m_serverCheckTimer.stop();
    m_serverChecking = false;
    m_stalled = false;
    m_link.setHeldBack(false);
}

} // namespace peltro
