// The status read: identification of the addressed camera when it is not
// known, the four status blocks, and the pan/tilt head's status.
#include "camera_session.h"

#include "chain_packets.h"
#include "pan_tilt_packets.h"

namespace peltro {

void CameraSession::refreshOnce()
{
    if (m_link.refuseIfLost())
        return;
    if (m_preset && !m_preset->ended())
        m_refresh.skipOneMore();
    readStatus();
}

bool CameraSession::readStatus()
{
    // Nothing is read from a lost port; the operator has been told.
    if (m_reading || m_startup || m_link.portLost())
        return false;
    if (m_preset && !m_preset->ended())
        return false;
    if (!m_refresh.admitRead())
        return false;
    m_reading = true;
    m_link.setExchangeRunning(true);

    if (!m_modelIdentified && !identify()) {
        if (!m_link.portLost())
            markNoAnswer();
        finishRead();
        return true;
    }

    CameraStatus status;
    status.address = m_address;
    if (m_panTiltFamily && m_panTiltModel == kModelP1) {
        // This model has no status blocks to read.
        m_link.setExchangeRunning(false);
        m_reading = false;
    } else {
        QByteArray blocks[chain::kBlockCount];
        for (int i = 0; i < chain::kBlockCount; ++i) {
            if (!readBlock(i, blocks[i])) {
                if (!m_link.portLost())
                    markNoAnswer();
                finishRead();
                return true;
            }
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
        status.panTilt = readPanTiltStatus();
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
    return true;
}

void CameraSession::markNoAnswer()
{
    // The values on show are not the addressed camera's: the panel says so
    // where the model's name stands, until a read of it succeeds.
    m_noAnswer = true;
    Q_EMIT noAnswer(m_address);
}

void CameraSession::finishRead()
{
    m_link.setExchangeRunning(false);
    m_reading = false;
    m_link.resumeReceiving();
}

void CameraSession::readFailed()
{
    m_refresh.readFailed();
    m_link.flushInput();
}

bool CameraSession::identify()
{
    QByteArray v;
    for (int tries = 0;;) {
        m_link.SD(chain::versionInquiry(m_address), SendMode::Silent);
        v = m_link.WaitReply(10);
        // The port failed under the read: that is not the camera's silence.
        if (m_link.portLost())
            return false;
        if (++tries >= kMaxTries) {
            readFailed();
            return false;
        }
        if (isVersionAnswer(v))
            break;
    }
    m_noAnswer = false;
    if (const std::optional<Identity> id = identityOf(v))
        applyIdentity(*id);
    m_modelIdentified = true;
    return true;
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

bool CameraSession::readBlock(int block, QByteArray& reply)
{
    for (int invalid = 0;;) {
        m_link.SD(chain::blockInquiry(m_address, chain::Block(block)), SendMode::Silent);
        reply = m_link.WaitReply(16);
        if (isValidBlock(reply))
            return true;
        if (m_link.portLost())
            return false;
        if (++invalid >= kMaxTries) {
            readFailed();
            return false;
        }
    }
}

std::optional<PanTiltStatus> CameraSession::readPanTiltStatus()
{
    auto exchange = [this](const Packet& inquiry, int count, QByteArray& answer) {
        for (int tries = 0;;) {
            m_link.SD(inquiry, SendMode::Silent);
            answer = m_link.WaitReply(count);
            if (pantilt::validAnswer(answer, count))
                return true;
            // A lost port is not a silent camera: no refresh error for it.
            if (m_link.portLost())
                return false;
            if (++tries >= kMaxTries) {
                readFailed();
                return false;
            }
        }
    };
    QByteArray position, status, speeds;
    if (!exchange(pantilt::positionInquiry(m_address), pantilt::kPositionAnswer, position)
        || !exchange(pantilt::statusInquiry(m_address), pantilt::kStatusAnswer, status)
        || !exchange(pantilt::maxSpeedInquiry(m_address), pantilt::kMaxSpeedAnswer, speeds))
        return std::nullopt;
    PanTiltStatus s;
    const pantilt::Position p = pantilt::decodePosition(position);
    s.pan = p.pan;
    s.tilt = p.tilt;
    s.statusWord = pantilt::decodeStatusWord(status);
    s.maxPanSpeed = pantilt::decodePanMax(speeds);
    s.maxTiltSpeed = pantilt::decodeTiltMax(speeds);
    return s;
}

} // namespace peltro
