#pragma once

#include "packet.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace peltro::service {

// The pan/tilt cameras keep facts about themselves in words that are read in
// their service mode: the date of manufacture (as BCD digits) and how often
// the camera block was remodelled. No widget here.

// The two bytes after 8x 01 06 that put the camera into its service mode.
inline constexpr std::array<int, 2> kServiceModeCode{0x22, 0x11};

constexpr int kMaxTries = 7;      // sends of one command before the sequence gives up
constexpr int kModeReply = 6;     // acknowledge and completion
constexpr int kWordReply = 10;    // acknowledge, then y0 50 0p 0q 0r 0s FF

constexpr int kRemodelCountWord = 0x0203;
constexpr int kYearWord = 0x0300;       // year, four BCD digits
constexpr int kMonthDayWord = 0x0301;   // month and day, two BCD digits each

Packet enterPacket(int address);                 // 8x 01 06 <service-mode code> FF
Packet leavePacket(int address);                 // 8x 01 06 22 12 FF
Packet readWordPacket(int address, int word);    // 8x 01 06 1A hh ll FF

// A reply that starts with an acknowledge y0 4z FF.
bool acknowledged(const QByteArray& reply);
// A mode command done: the acknowledge, then the completion y0 5z FF.
bool modeDone(const QByteArray& reply);
// The word of a read: the acknowledge, then y0 50 0p 0q 0r 0s FF.
std::optional<int> wordValue(const QByteArray& reply);

// Which models keep these words: the second and third pan/tilt models.
bool hasServiceWords(bool panTiltFamily, std::uint8_t model);
// Only the third counts remodellings.
bool hasRemodelCount(std::uint8_t model);

QString romVersionText(int high, int low);                  // "ROM Version    :    2.05"
QString dateText(int yearWord, int monthDayWord);           // "Date of Manufacture  :  2004. 7.15"
QString remodelText(int count);                             // "CamBlock Remodeling  :  3"

// The sequence, one command at a time: enter the service mode, read the
// year, the month and day, the remodel count where the model has it, and
// leave. A command is sent until its reply is right, at most kMaxTries
// times; after that the input is flushed and, once the service mode was
// entered, the camera is still told to leave it. The caller sends packet()
// and hands the reply of answerLength() bytes to take().
class ServiceSequence {
public:
    enum class Step { Enter, Year, MonthDay, Remodel, Leave, Done };

    ServiceSequence(int address, std::uint8_t model);

    Step next() const { return m_step; }
    bool done() const { return m_step == Step::Done; }
    // The command of the step under way and the length of its reply.
    Packet packet() const;
    int answerLength() const;
    // The reply to packet(). True when it was right (the sequence moves on);
    // false when it was not: the command is sent again, or, after the last
    // try, the step is given up and flushWanted() says the input is to be
    // flushed.
    bool take(const QByteArray& reply);
    bool flushWanted() const { return m_flush; }

    std::optional<int> year() const { return m_year; }
    std::optional<int> monthDay() const { return m_monthDay; }
    std::optional<int> remodelCount() const { return m_remodel; }

private:
    int m_address;
    std::uint8_t m_model;
    Step m_step = Step::Enter;
    int m_tries = 0;
    bool m_flush = false;
    std::optional<int> m_year;
    std::optional<int> m_monthDay;
    std::optional<int> m_remodel;
};

} // namespace peltro::service
