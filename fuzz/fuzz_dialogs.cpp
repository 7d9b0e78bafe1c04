// The windows that turn what the operator types into packets: clock, camera
// ID, effect level, factory settings (memory address and data, levels),
// alarm levels and timers, power-off timers, AE spot, privacy zones and
// titles, each on a camera of the simulated chain that has it.
//
// Input: [camera model][window] and then steps: [0 box record] puts any text
// in one of the open windows' boxes, [1 button] presses one of their buttons
// (check boxes and option buttons included), [2 time] lets time pass.
//
// Checked after every step:
//  - every packet written ends with FF and holds no FF before;
//  - a step that told the operator something was not sent wrote nothing;
//  - the traffic boxes never hold more than 1000 characters.

#include "app_rig.h"
#include "fuzz_support.h"
#include "traffic_log.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>

using namespace peltro;
using namespace peltro::fuzz;

namespace {

const char* const kModels[] = {"quorin-p3", "quorin-p2", "quorin-p1", "tamiro-k9b", "tamiro-j1a", "tamiro-k5a"};

// The menu items that open a window with text to send.
const char* const kWindows[] = {"SetTimeDate",  "IDWrite",     "EffectLevel",    "SettingMenu",
                                "SettingZones", "PrivacyAv",   "TitleSet",       "MotionDetecter",
                                "AutoPowerOff", "NightPowerOff", "AESpotMode"};

template <typename T, std::size_t N>
const T& pick(const T (&list)[N], int index)
{
    return list[std::size_t(index) % N];
}

// What the operator works with now: the boxes and buttons of every open
// window but the main one, in a stable order.
struct OpenControls {
    QList<QLineEdit*> boxes;
    QList<QAbstractButton*> buttons;
};

OpenControls openControls(const QWidget* main)
{
    OpenControls c;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top == main || !top->isVisible())
            continue;
        for (QLineEdit* box : top->findChildren<QLineEdit*>())
            if (box->isVisible() && box->isEnabled() && !box->isReadOnly())
                c.boxes << box;
        for (QAbstractButton* button : top->findChildren<QAbstractButton*>())
            if (button->isVisible() && button->isEnabled())
                c.buttons << button;
    }
    return c;
}

QString textOf(const QByteArray& raw, bool wide)
{
    if (!wide)
        return QString::fromLatin1(raw);
    QString text;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
        text += QChar(char16_t(quint8(raw[i]) << 8 | quint8(raw[i + 1])));
    return text;
}

// A box that says what the operator asked for did not go out.
bool tellsNotSent(const QString& text)
{
    return text.contains(QLatin1String("Nothing was sent")) || text.contains(QLatin1String("was not sent"))
        || text.contains(QLatin1String("were not sent")) || text.contains(QLatin1String("was not written"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    startQt();
    Input in(data, size);
    {
        test::AppRig rig({QString::fromLatin1(pick(kModels, in.byte()))});
        rig.identify();
        QAction* opener = rig.main->action(QString::fromLatin1(pick(kWindows, in.byte())));
        opener->trigger();
        pumpEvents();
        requireWellFormedPackets(rig.takeWrites(), "opening the window");

        int steps = 0;
        while (!in.empty() && ++steps <= 64) {
            const int op = in.byte();
            const qsizetype boxesBefore = rig.messages.boxes.size();
            const OpenControls c = openControls(rig.main);
            switch (op % 3) {
            case 0: {
                const int which = in.byte();
                const QString text = textOf(in.record(48), op & 0x10);
                if (!c.boxes.isEmpty())
                    c.boxes.at(which % c.boxes.size())->setText(text);
                break;
            }
            case 1: {
                const int which = in.byte();
                if (!c.buttons.isEmpty())
                    c.buttons.at(which % c.buttons.size())->click();
                break;
            }
            case 2:
                rig.clock.advance(0.05 * in.byte());
                break;
            }
            pumpEvents();
            const QList<QByteArray> writes = rig.takeWrites();
            requireWellFormedPackets(writes, "a window wrote a malformed packet");
            for (qsizetype i = boxesBefore; i < rig.messages.boxes.size(); ++i)
                if (tellsNotSent(rig.messages.boxes.at(i).text)) {
                    QByteArray joined;
                    for (const QByteArray& w : writes)
                        joined += w;
                    require(writes.isEmpty(), "told the operator nothing was sent, but wrote", joined);
                }
            for (auto kind : {TrafficLog::Sent, TrafficLog::Received})
                require(rig.link().traffic().text(kind).size() <= TrafficLog::kLimit,
                        "a traffic box holds more than 1000 characters");
        }
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != rig.main)
                top->close();
    }
    pumpEvents();
    return 0;
}
