// The direct command console: text to bytes on the line.
//
// Two ways in: any text handed to SendDirect (what a paste or another caller
// could bring), and key presses typed into the console's box with Enter.
// Checked after every step:
//  - only pairs of hexadecimal digits ever reach the port: a text that is
//    anything else is refused whole, and nothing is written;
//  - what is written is exactly the bytes the text spells, one byte a write;
//  - the box holds only upper-case hexadecimal digits, as typed;
//  - the command history never exceeds 1000 characters.

#include "direct_console.h"
#include "fuzz_support.h"
#include "link.h"
#include "traffic_log.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <optional>

using namespace peltro;
using namespace peltro::fuzz;

namespace {

bool hexDigit(QChar c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// What SendDirect must do with text: the bytes to write, or nothing at all.
std::optional<QByteArray> expectedBytes(const QString& text, bool statusReadBusy)
{
    if (statusReadBusy || text.size() % 2 != 0)
        return std::nullopt;
    for (QChar c : text)
        if (!hexDigit(c))
            return std::nullopt;
    return QByteArray::fromHex(text.toLatin1());
}

void requireSent(ScriptedPort& port, qsizetype before, const std::optional<QByteArray>& expected,
                 const QString& result)
{
    const QList<QByteArray> written = port.writes.mid(before);
    QByteArray joined;
    for (const QByteArray& w : written) {
        require(w.size() == 1, "the console wrote more than one byte at once", w);
        joined += w;
    }
    if (!expected) {
        require(result == QLatin1String("NG"), "text that cannot be sent was not refused");
        require(written.isEmpty(), "a refused text put bytes on the line", joined);
        return;
    }
    require(result == QLatin1String("OK"), "a text of hexadecimal pairs was refused");
    require(joined == *expected, "the bytes written are not the text's", joined);
}

QString unitsOf(const QByteArray& raw, bool latin1)
{
    if (latin1)
        return QString::fromLatin1(raw);
    QString text;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
        text += QChar(char16_t(quint8(raw[i]) << 8 | quint8(raw[i + 1])));
    return text;
}

void press(QLineEdit& box, int key, const QString& text)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&box, &event);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    startQt();
    ManualClock clock;
    ScriptedPort port(clock);
    port.open();
    Link link(port, clock);
    bool statusReadBusy = false;
    QLineEdit box;
    box.setObjectName(QStringLiteral("DirectText"));
    DirectConsole console(&box, link);

    QString typed;   // what the box must hold
    Input in(data, size);
    while (!in.empty()) {
        const int op = in.byte();
        const qsizetype before = port.writes.size();
        switch (op % 4) {
        case 0: {
            const QString text = unitsOf(in.record(32), op & 0x10);
            const auto expected = expectedBytes(text, statusReadBusy);
            requireSent(port, before, expected, resultText(link.SendDirect(text)));
            break;
        }
        case 1: {
            // One typed character: ASCII, or any UTF-16 unit.
            const int first = in.byte();
            const QChar c = first < 0x80 ? QChar(char16_t(first)) : QChar(char16_t(first << 8 | in.byte()));
            const int key = (c >= ' ' && c <= '~') ? c.toUpper().unicode() : int(Qt::Key_unknown);
            press(box, key, QString(c));
            if (hexDigit(c))
                typed += c.toUpper();
            break;
        }
        case 2: {
            press(box, Qt::Key_Return, QStringLiteral("\r"));
            if (typed.size() % 2 == 0) {
                requireSent(port, before, expectedBytes(typed, statusReadBusy),
                            statusReadBusy ? QStringLiteral("NG") : QStringLiteral("OK"));
                typed.clear();
            } else {
                require(port.writes.size() == before, "Enter on half a byte wrote to the line");
            }
            break;
        }
        case 3:
            if (op & 0x40) {
                statusReadBusy = !statusReadBusy;
                link.setExchangeRunning(statusReadBusy);
            } else {
                press(box, Qt::Key_Backspace, QStringLiteral("\b"));
                typed.chop(1);
            }
            break;
        }
        require(box.text() == typed, "the console box does not hold what was typed",
                box.text().toUtf8());
        require(link.traffic().text(TrafficLog::Sent).size() <= TrafficLog::kLimit,
                "the command history holds more than 1000 characters");
    }
    pumpEvents();
    return 0;
}
