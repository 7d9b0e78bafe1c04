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

ServiceSequence::ServiceSequence(int address, std::uint8_t model, Exchange exchange, std::function<void()> flush)
    : m_address(address), m_model(model), m_exchange(std::move(exchange)), m_flush(std::move(flush))
{
}

bool ServiceSequence::runStep()
{
    auto tryMode = [this](const Packet& packet) {
        for (int tries = 0; tries < kMaxTries; ++tries) {
            if (modeDone(m_exchange(packet, kModeReply)))
                return true;
        }
        return false;
    };
    auto tryWord = [this](int word) -> std::optional<int> {
        for (int tries = 0; tries < kMaxTries; ++tries) {
            if (const auto value = wordValue(m_exchange(readWordPacket(m_address, word), kWordReply)))
                return value;
        }
        return std::nullopt;
    };
    auto failed = [this](Step then) {
        m_flush();
        m_step = then;
        return false;
    };

    switch (m_step) {
    case Step::Enter:
        if (!tryMode(enterPacket(m_address)))
            return failed(Step::Done);
        m_step = Step::Year;
        return true;
    case Step::Year:
        // Once in the service mode, the camera is told to leave it whatever fails.
        m_year = tryWord(kYearWord);
        if (!m_year)
            return failed(Step::Leave);
        m_step = Step::MonthDay;
        return true;
    case Step::MonthDay:
        m_monthDay = tryWord(kMonthDayWord);
        if (!m_monthDay)
            return failed(Step::Leave);
        m_step = hasRemodelCount(m_model) ? Step::Remodel : Step::Leave;
        return true;
    case Step::Remodel:
        m_remodel = tryWord(kRemodelCountWord);
        if (!m_remodel)
            return failed(Step::Leave);
        m_step = Step::Leave;
        return true;
    case Step::Leave:
        if (!tryMode(leavePacket(m_address)))
            return failed(Step::Done);
        m_step = Step::Done;
        return true;
    case Step::Done:
        break;
    }
    return false;
}

} // namespace peltro::service
