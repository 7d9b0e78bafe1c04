// The status read: identification of the addressed camera when it is not
// known, the four status blocks, and the pan/tilt head's status. Each
// inquiry waits for its answer without blocking the event loop.
#include "camera_session.h"

#include "chain_packets.h"
#include "pan_tilt_packets.h"
#include "waits.h"

namespace peltro {

CameraSession::LineHold::LineHold(CameraSession& session) : m_session(session)
{
    if (m_session.m_exchanges++ == 0)
        m_session.m_link.setExchangeRunning(true);
}

CameraSession::LineHold::~LineHold()
{
    if (--m_session.m_exchanges == 0) {
        m_session.m_link.setExchangeRunning(false);
        Q_EMIT m_session.lineFree();
    }
}

void CameraSession::refreshOnce()
{
    if (m_link.refuseIfLost())
        return;
    if (m_preset && !m_preset->ended())
        m_refresh.skipOneMore();
    readStatus();
}

bool CameraSession::readAllowed()
{
    // Nothing is read from a lost port; the operator has been told. One
    // exchange at a time holds the line.
    if (m_reading || m_startup || m_link.portLost() || m_stalled || busy())
        return false;
    if (m_preset && !m_preset->ended())
        return false;
    return m_refresh.admitRead();
}

bool CameraSession::readStatus()
{
    if (!readAllowed())
        return false;
    readJob();
    return true;
}

Job CameraSession::readJob()
{
    co_await readWhole();
}

Task<bool> CameraSession::statusReadDone()
{
    if (!readAllowed())
        co_return false;
    co_return co_await readWhole();
}

Task<bool> CameraSession::readWhole()
{
    LineHold line(*this);
    m_reading = true;

    if (!m_modelIdentified && !co_await identify()) {
        if (!m_link.portLost())
            markNoAnswer();
        finishRead();
        co_return true;
    }

    CameraStatus status;
    status.address = m_address;
    bool blocksToRead = !(m_panTiltFamily && m_panTiltModel == kModelP1);
    if (blocksToRead) {
        QByteArray blocks[chain::kBlockCount];
        for (int i = 0; i < chain::kBlockCount; ++i) {
            const std::optional<QByteArray> block = co_await readBlock(i);
            if (!block) {
                if (!m_link.portLost())
                    markNoAnswer();
                finishRead();
                co_return true;
            }
            blocks[i] = *block;
        }
        if (m_noAnswer) {
            m_noAnswer = false;
            Q_EMIT answeredAgain(m_address);
        }
        // Nothing is decoded before every block has come in.
        status.blocksRead = true;
        status.lens = decodeLens(blocks[0]);
        status.camera = decodeCamera(blocks[1]);
        status.other = decodeOther(blocks[2]);
        m_powerOn = status.other.power;
        if (m_panTiltFamily && m_panTiltModel == kModelP3) {
            status.expanded = decodeExpanded(blocks[3]);
            m_alarm.on = status.expanded->alarmOn;
            m_refresh.setAlarmOn(m_alarm.on);
            if (m_alarm.on)
                m_refresh.alarmDetected();
        }
    }

    bool panTiltFailed = false;
    if (m_powerOn && m_panTiltFamily && m_panTiltWanted && !m_link.portLost()) {
        status.panTilt = co_await readPanTiltStatus();
        panTiltFailed = !status.panTilt && !m_link.portLost();
    }
    Runtime& r = m_runtime[m_address];
    if (status.blocksRead && status.lens.zoom)
        r.zoomPosition = *status.lens.zoom;
    if (status.panTilt) {
        r.maxPanSpeed = status.panTilt->maxPanSpeed;
        r.maxTiltSpeed = status.panTilt->maxTiltSpeed;
    }
    Q_EMIT statusRead(status);
    Q_EMIT cameraChanged(m_address);
    if (panTiltFailed)
        markNoAnswer();
    finishRead();
    co_return true;
}

void CameraSession::markNoAnswer()
{
    // The values on show are not the addressed camera's: the panel says so
    // where the model's name stands, until a read of it succeeds.
    m_noAnswer = true;
    Q_EMIT noAnswer(m_address);
    checkServerIfSilent();
}

void CameraSession::finishRead()
{
    m_reading = false;
    m_link.resumeReceiving();
}

void CameraSession::readFailed()
{
    m_refresh.readFailed();
    m_link.flushInput();
}

Task<bool> CameraSession::identify()
{
    QByteArray v;
    for (int tries = 0;;) {
        co_await stopsFirst();
        v = co_await Ask(m_link, chain::versionInquiry(m_address), 10);
        // The port failed under the read: that is not the camera's silence.
        if (m_link.portLost())
            co_return false;
        if (++tries >= kMaxTries) {
            readFailed();
            co_return false;
        }
        if (isVersionAnswer(v))
            break;
    }
    m_noAnswer = false;
    if (const std::optional<Identity> id = identityOf(v))
        applyIdentity(*id);
    m_modelIdentified = true;
    co_return true;
}

void CameraSession::applyIdentity(const Identity& id)
{
    m_identities[m_address] = id;
    if (id.family == Family::Quorin) {
        m_panTiltFamily = true;
        m_romHigh = id.romHigh;
        m_romLow = id.romLow;
        if (id.model == kModelP1 || id.model == kModelP2 || id.model == kModelP3)
            m_panTiltModel = id.model;
        if (id.model == kModelP1)
            m_refresh.noStatusBlocks();
    } else {
        // A block camera: no head, and nothing of a pan/tilt model decodes its blocks.
        m_panTiltFamily = false;
        m_panTiltModel = 0;
    }
    Q_EMIT identified(m_address, id);
    Q_EMIT cameraChanged(m_address);
}

Task<std::optional<QByteArray>> CameraSession::readBlock(int block)
{
    for (int invalid = 0;;) {
        co_await stopsFirst();
        const QByteArray reply = co_await Ask(m_link, chain::blockInquiry(m_address, chain::Block(block)), 16);
        if (isValidBlock(reply))
            co_return reply;
        if (m_link.portLost())
            co_return std::nullopt;
        if (++invalid >= kMaxTries) {
            readFailed();
            co_return std::nullopt;
        }
    }
}

Task<std::optional<PanTiltStatus>> CameraSession::readPanTiltStatus()
{
    const Packet inquiries[] = {pantilt::positionInquiry(m_address), pantilt::statusInquiry(m_address),
                                pantilt::maxSpeedInquiry(m_address)};
    const int counts[] = {pantilt::kPositionAnswer, pantilt::kStatusAnswer, pantilt::kMaxSpeedAnswer};
    QByteArray answers[3];
    for (int i = 0; i < 3; ++i) {
        for (int tries = 0;;) {
            co_await stopsFirst();
            answers[i] = co_await Ask(m_link, inquiries[i], counts[i]);
            if (pantilt::validAnswer(answers[i], counts[i]))
                break;
            // A lost port is not a silent camera: no refresh error for it.
            if (m_link.portLost())
                co_return std::nullopt;
            if (++tries >= kMaxTries) {
                readFailed();
                co_return std::nullopt;
            }
        }
    }
    PanTiltStatus s;
    const pantilt::Position p = pantilt::decodePosition(answers[0]);
    s.pan = p.pan;
    s.tilt = p.tilt;
    s.statusWord = pantilt::decodeStatusWord(answers[1]);
    s.maxPanSpeed = pantilt::decodePanMax(answers[2]);
    s.maxTiltSpeed = pantilt::decodeTiltMax(answers[2]);
    co_return s;
}

} // namespace peltro
