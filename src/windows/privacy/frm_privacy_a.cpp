#include "frm_privacy_a.h"

#include "window_support.h"
#include "link.h"
#include "message_service.h"
#include "window_support.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace peltro {

namespace {

constexpr int kGridColumns = 16;
constexpr int kGridRows = 12;
constexpr int kGridCell = 16;     // pixels
constexpr int kAxisMargin = 18;   // room for the axis labels

const char* const kZoneFields[4] = {"X", "Y", "Width", "Height"};

QPushButton* button(QWidget* parent, const QString& name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

ZoneGrid::ZoneGrid(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ZoneGrid"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ZoneGrid::sizeHint() const
{
    return {kAxisMargin + kGridColumns * kGridCell + 1, kAxisMargin + kGridRows * kGridCell + 1};
}

void ZoneGrid::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(QRect(kAxisMargin, kAxisMargin, kGridColumns * kGridCell, kGridRows * kGridCell), Qt::white);
    p.setPen(Qt::gray);
    for (int c = 0; c <= kGridColumns; ++c)
        p.drawLine(kAxisMargin + c * kGridCell, kAxisMargin, kAxisMargin + c * kGridCell,
                   kAxisMargin + kGridRows * kGridCell);
    for (int r = 0; r <= kGridRows; ++r)
        p.drawLine(kAxisMargin, kAxisMargin + r * kGridCell, kAxisMargin + kGridColumns * kGridCell,
                   kAxisMargin + r * kGridCell);
    p.setPen(palette().color(QPalette::WindowText));
    for (int c = 0; c < kGridColumns; ++c)
        p.drawText(QRect(kAxisMargin + c * kGridCell, 0, kGridCell, kAxisMargin), Qt::AlignCenter,
                   QString::number(c, 16).toUpper());
    for (int r = 0; r < kGridRows; ++r)
        p.drawText(QRect(0, kAxisMargin + r * kGridCell, kAxisMargin, kGridCell), Qt::AlignCenter,
                   QString::number(r, 16).toUpper());
}

// ---------------------------------------------------------------------------

FrmPrivacyA::FrmPrivacyA(WindowContext& context) : QWidget(&context.main, Qt::Window), m_ctx(context)
{
    setObjectName(QStringLiteral("PrivacyA"));
    setWindowTitle(QStringLiteral("PrivacyZone Setting"));
    setAttribute(Qt::WA_DeleteOnClose);
    closeOnEscape(*this);

    auto* outer = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("Privacy Zone SET "), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    outer->addWidget(heading);

    auto* top = new QHBoxLayout;
    auto* zones = new QGridLayout;
    const QString columns[4] = {QStringLiteral("X: 0 to F"), QStringLiteral("Y: 0 to B"),
                                QStringLiteral("Width: 1 to F"), QStringLiteral("Height: 1 to B")};
    for (int k = 0; k < 4; ++k)
        zones->addWidget(new QLabel(columns[k], this), 0, 1 + k);
    for (int z = 0; z < privacy::kZoneCount; ++z) {
        zones->addWidget(new QLabel(QStringLiteral("Zone %1").arg(z + 1), this), 1 + z, 0);
        for (int k = 0; k < 4; ++k) {
            auto* box = new QLineEdit(QStringLiteral("0"), this);
            box->setObjectName(QStringLiteral("Zones_%1").arg(4 * z + k));
            box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")));
            m_zones[4 * z + k] = box;
            zones->addWidget(box, 1 + z, 1 + k);
        }
    }
    top->addLayout(zones);
    top->addSpacing(12);
    top->addWidget(new ZoneGrid(this), 0, Qt::AlignTop);
    outer->addLayout(top);

    auto* sets = new QHBoxLayout;
    for (int s = 0; s < privacy::kSetCount; ++s) {
        QPushButton* b = button(this, QStringLiteral("cmdPZMset_%1").arg(s), QStringLiteral("Privacy Set %1").arg(s + 1));
        connect(b, &QPushButton::clicked, this, [this, s] { cmdPZMset(s); });
        sets->addWidget(b);
    }
    outer->addLayout(sets);

    auto* automatic = new QHBoxLayout;
    m_settingMode = button(this, QStringLiteral("SettingMode"), {});
    m_settingMode->setCheckable(true);
    m_settingMode->setMinimumWidth(m_settingMode->fontMetrics().horizontalAdvance(QStringLiteral("OFFOFF")) + 16);
    connect(m_settingMode, &QPushButton::clicked, this, &FrmPrivacyA::SettingMode);
    automatic->addWidget(m_settingMode);
    auto* note = new QLabel(
        QStringLiteral("When \"Set bottun\" on, Set command will be sent Automatically. "), this);
    note->setWordWrap(true);
    automatic->addWidget(note, 1);
    outer->addLayout(automatic);

    auto* switches = new QHBoxLayout;
    QPushButton* on = button(this, QStringLiteral("CmdPrivacyOn"), QStringLiteral("Privacy On"));
    connect(on, &QPushButton::clicked, this, &FrmPrivacyA::CmdPrivacyOn);
    QPushButton* off = button(this, QStringLiteral("CmdPrivacyoff"), QStringLiteral("Privacy Off"));
    connect(off, &QPushButton::clicked, this, &FrmPrivacyA::CmdPrivacyoff);
    QPushButton* clear = button(this, QStringLiteral("CmdClear"), QStringLiteral("Clear"));
    connect(clear, &QPushButton::clicked, this, &FrmPrivacyA::CmdClear);
    switches->addWidget(on);
    switches->addWidget(off);
    switches->addWidget(clear);
    outer->addLayout(switches);

    // The automatic sets wait for the operator's SettingMode: running from
    // the opening they would overwrite the camera's masks with the zeros of
    // the boxes before anything was typed.
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(kAutoInterval);
    connect(m_timer2, &QTimer::timeout, this, &FrmPrivacyA::PrivacySet);
}

void FrmPrivacyA::cmdPZMset(int set)
{
    if (set < 0 || set >= privacy::kSetCount)
        return;
    std::array<int, 8> values{};
    for (int i = 0; i < 8; ++i) {
        const int index = 8 * set + i;
        const std::optional<int> v = privacy::zoneValue(m_zones[index]->text());
        if (!v) {
            if (!m_noticeOpen) {
                m_noticeOpen = true;
                m_ctx.messages.notify(
                    QStringLiteral("Warning"),
                    QStringLiteral("Zone %1 %2 must be a hexadecimal number from 0 to FE.\n"
                                   "\"Privacy Set %3\" was not sent.")
                        .arg(index / 4 + 1)
                        .arg(QLatin1String(kZoneFields[index % 4]))
                        .arg(set + 1),
                    QMessageBox::Warning, [this] { m_noticeOpen = false; });
            }
            return;
        }
        values[i] = *v;
    }
    m_ctx.session.command(privacy::zoneSetPacket(m_ctx.session.address(), set, values));
}

void FrmPrivacyA::PrivacySet()
{
    if (!m_setRunning)
        privacySetRun();
}

Job FrmPrivacyA::privacySetRun()
{
    m_setRunning = true;
    cmdPZMset(0);
    co_await m_ctx.session.pause(kWaitAuto);
    cmdPZMset(1);
    co_await m_ctx.session.pause(kWaitAuto);
    cmdPZMset(2);
    m_setRunning = false;
}

void FrmPrivacyA::SettingMode()
{
    if (m_settingMode->text() != QLatin1String("ON")) {
        m_timer2->start();
        m_settingMode->setText(QStringLiteral("ON"));
    } else {
        m_timer2->stop();
        m_settingMode->setText(QStringLiteral("OFF"));
    }
    m_settingMode->setChecked(m_settingMode->text() == QLatin1String("ON"));
}

void FrmPrivacyA::SD(const Packet& packet)
{
    m_ctx.session.windowCommand(packet);
}

void FrmPrivacyA::CmdPrivacyOn()
{
    SD(privacy::zoneSwitchPacket(m_ctx.session.address(), privacy::ZoneSwitch::On));
}

void FrmPrivacyA::CmdPrivacyoff()
{
    SD(privacy::zoneSwitchPacket(m_ctx.session.address(), privacy::ZoneSwitch::Off));
}

void FrmPrivacyA::CmdClear()
{
    SD(privacy::zoneSwitchPacket(m_ctx.session.address(), privacy::ZoneSwitch::Clear));
}

} // namespace peltro
