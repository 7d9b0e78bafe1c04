#include "alarm_check.h"

#include "alarm_packets.h"
#include "link.h"
#include "panel_state.h"
#include "window_support.h"

#include <functional>

namespace peltro {

namespace {

// One inquiry until take() accepts its answer, at most kAlarmCheckTries times.
bool exchange(Link& link, const QList<int>& inquiry, int count,
              const std::function<bool(const QByteArray&)>& take)
{
    const QByteArray packet = Link::VarArrayToBytes(inquiry);
    for (int tries = 0; tries < kAlarmCheckTries; ++tries) {
        link.SD(packet, 0);
        if (take(link.WaitReply(count)))
            return true;
    }
    return false;
}

} // namespace

bool CheckAlarmStatus(Link& link, PanelState& st)
{
    using namespace alarm;
    const int address = st.cameraAddress;
    const bool read =
        exchange(link, detectInquiry(address), kByteAnswer,
                 [&st](const QByteArray& answer) {
                     if (!validAnswer(answer, kByteAnswer))
                         return false;
                     // Any other value than on or off leaves the flag.
                     if (const auto on = decodeDetect(answer))
                         st.alarmOn = *on;
                     return true;
                 })
        && exchange(link, modeInquiry(address), kByteAnswer,
                    [&st](const QByteArray& answer) {
                        const auto mode = decodeMode(answer);
                        if (mode)
                            st.alarmMode = std::uint8_t(*mode);
                        return mode.has_value();
                    })
        && exchange(link, levelInquiry(address), kLevelAnswer, [&st](const QByteArray& answer) {
               const auto levels = decodeLevels(answer);
               if (levels) {
                   st.alarmDayLevel = levels->day;
                   st.alarmNightLevel = levels->night;
                   st.alarmCurrentLevel = levels->current;
               }
               return levels.has_value();
           });
    resumeReceiving(link);
    if (read)
        st.alarmSettingsRead = true;
    return read;
}

QString alarmNoAnswerText()
{
    return QStringLiteral("The camera did not answer the alarm inquiry.\nIts alarm settings are not known.");
}

} // namespace peltro
