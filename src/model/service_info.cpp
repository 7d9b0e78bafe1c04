#include "service_info.h"

#include "catalogue.h"

namespace peltro::service {

namespace {

int at(const QByteArray& bytes, int index)
{
    return static_cast<quint8>(bytes.at(index));
}

// y0 kz FF at index from, k the kind's high nibble (4 acknowledge, 5 completion).
bool shortReply(const QByteArray& reply, int from, int kind)
{
    return reply.size() >= from + 3 && (at(reply, from) & 0x8F) == 0x80 && (at(reply, from + 1) & 0xF0) == kind
           && at(reply, from + 2) == 0xFF;
}

QString hex(int value)
{
    return QString::number(value, 16).toUpper();
}

} // namespace

Packet enterPacket(int address)
{
    return {0x80 + address, 0x01, 0x06, kServiceModeCode[0], kServiceModeCode[1], 0xFF};
}

Packet leavePacket(int address)
{
    return {0x80 + address, 0x01, 0x06, 0x22, 0x12, 0xFF};
}

Packet readWordPacket(int address, int word)
{
    return {0x80 + address, 0x01, 0x06, 0x1A, (word >> 8) & 0xFF, word & 0xFF, 0xFF};
}

bool acknowledged(const QByteArray& reply)
{
    return shortReply(reply, 0, 0x40);
}

bool modeDone(const QByteArray& reply)
{
    return acknowledged(reply) && shortReply(reply, 3, 0x50);
}

std::optional<int> wordValue(const QByteArray& r)
{
    if (!acknowledged(r) || r.size() < kWordReply || (at(r, 3) & 0x8F) != 0x80 || at(r, 4) != 0x50
        || at(r, 9) != 0xFF)
        return std::nullopt;
    int value = 0;
    for (int i = 5; i < 9; ++i) {
        if (at(r, i) > 0x0F)
            return std::nullopt;
        value = value * 16 + at(r, i);
    }
    return value;
}

bool hasServiceWords(bool panTiltFamily, std::uint8_t model)
{
    return panTiltFamily && (model == kModelP2 || model == kModelP3);
}

bool hasRemodelCount(std::uint8_t model)
{
    return model == kModelP3;
}

QString romVersionText(int high, int low)
{
    return QStringLiteral("ROM Version    :    %1.%2").arg(high).arg(hex(low).rightJustified(2, QLatin1Char('0')));
}

QString dateText(int yearWord, int monthDayWord)
{
    // The date is kept as BCD digits: its hexadecimal form reads as the date.
    auto right2 = [](int value) { return (QStringLiteral("  ") + hex(value)).right(2); };
    return QStringLiteral("Date of Manufacture  :  %1.%2.%3")
        .arg(hex(yearWord), right2(monthDayWord >> 8), right2(monthDayWord & 0xFF));
}

QString remodelText(int count)
{
    return QStringLiteral("CamBlock Remodeling  :  %1").arg(count);
}

ServiceSequence::ServiceSequence(int address, std::uint8_t model) : m_address(address), m_model(model) {}

Packet ServiceSequence::packet() const
{
    switch (m_step) {
    case Step::Enter: return enterPacket(m_address);
    case Step::Year: return readWordPacket(m_address, kYearWord);
    case Step::MonthDay: return readWordPacket(m_address, kMonthDayWord);
    case Step::Remodel: return readWordPacket(m_address, kRemodelCountWord);
    case Step::Leave: return leavePacket(m_address);
    case Step::Done: break;
    }
    return {};
}

int ServiceSequence::answerLength() const
{
    return m_step == Step::Enter || m_step == Step::Leave ? kModeReply : kWordReply;
}

bool ServiceSequence::take(const QByteArray& reply)
{
    m_flush = false;
    bool right = false;
    Step then = Step::Done;   // where a step given up goes
    switch (m_step) {
    case Step::Enter:
        right = modeDone(reply);
        if (right)
            m_step = Step::Year;
        break;
    case Step::Year:
        // Once in the service mode, the camera is told to leave it whatever fails.
        m_year = wordValue(reply);
        right = m_year.has_value();
        then = Step::Leave;
        if (right)
            m_step = Step::MonthDay;
        break;
    case Step::MonthDay:
        m_monthDay = wordValue(reply);
        right = m_monthDay.has_value();
        then = Step::Leave;
        if (right)
            m_step = hasRemodelCount(m_model) ? Step::Remodel : Step::Leave;
        break;
    case Step::Remodel:
        m_remodel = wordValue(reply);
        right = m_remodel.has_value();
        then = Step::Leave;
        if (right)
            m_step = Step::Leave;
        break;
    case Step::Leave:
        right = modeDone(reply);
        if (right)
            m_step = Step::Done;
        break;
    case Step::Done:
        return false;
    }
    if (right) {
        m_tries = 0;
        return true;
    }
    if (++m_tries >= kMaxTries) {
        m_tries = 0;
        m_flush = true;
        m_step = then;
    }
    return false;
}

} // namespace peltro::service
