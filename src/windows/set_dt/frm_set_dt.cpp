#include "frm_set_dt.h"

#include "window_support.h"
#include "message_service.h"
#include "setting_packets.h"
#include "speed_box.h"
#include "twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace peltro {

namespace {
constexpr double kColumn = 1020;   // one field per column, in twips
}

FrmSetDT::FrmSetDT(WindowContext& context) : QDialog(&context.main), m_ctx(context)
{
    setObjectName(QStringLiteral("FrmSetDT"));
    setWindowTitle(QStringLiteral("Set Time & Date"));

    const auto& fields = clockFields();
    for (int i = 0; i < 5; ++i) {
        const ClockField& f = fields[i];
        const double left = 240 + i * kColumn;
        auto* label = new QLabel(QString::fromLatin1(f.label), this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        twips::place(label, left, 240, 900, 255);
        boxes[i] = new QLineEdit(QString::fromLatin1(f.designed), this);
        boxes[i]->setObjectName(QString::fromLatin1(f.box));
        twips::place(boxes[i], left, 525, 600, 315);
        spinners[i] = new UpDown(this);
        spinners[i]->setObjectName(QString::fromLatin1(f.spinner));
        spinners[i]->setRange(f.minimum, f.maximum);
        spinners[i]->setBuddy(boxes[i]);
        twips::place(spinners[i], left + 600, 525, 240, 315);
    }
    ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    twips::place(ok, 1500, 1140, 1200, 375);
    cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    twips::place(cancel, 2820, 1140, 1200, 375);
    setFixedSize(twips::toPixels(240 * 2 + 5 * kColumn - 180), twips::toPixels(1755));

    connect(ok, &QPushButton::clicked, this, &FrmSetDT::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

void FrmSetDT::fill(const QDateTime& now)
{
    const QDate d = now.date();
    const QTime t = now.time();
    const int values[5] = {d.year() % 100, d.month(), d.day(), t.hour(), t.minute()};
    for (int i = 0; i < 5; ++i)
        boxes[i]->setText(QStringLiteral("%1").arg(values[i], 2, 10, QLatin1Char('0')));
}

void FrmSetDT::onOk()
{
    // Every box must hold a number of its field's range before anything goes out.
    std::array<int, 5> values{};
    const auto& fields = clockFields();
    for (int i = 0; i < 5; ++i) {
        const ClockField& f = fields[i];
        const std::optional<long long> v = wholeNumber(boxes[i]->text());
        if (!v || *v < f.minimum || *v > f.maximum) {
            m_ctx.messages.notify(QStringLiteral("Warning"),
                                QStringLiteral("%1 must be a number from %2 to %3.\n"
                                               "The time and date were not sent.")
                                    .arg(QString::fromLatin1(f.label))
                                    .arg(f.minimum)
                                    .arg(f.maximum),
                                QMessageBox::Warning);
            boxes[i]->setFocus();
            return;
        }
        values[i] = int(*v);
    }
    hide();
    m_ctx.session.command(clockPacket(m_ctx.session.address(), values));
}

} // namespace peltro
