#include "frm_aes.h"

#include "ae_spot_packets.h"
#include "window_support.h"
#include "message_service.h"
#include "traffic_text.h"
#include "twips.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace peltro {

namespace {

// The 16 x 16 grid the spot is placed on, q across and s down, with the
// cell the two position boxes name filled in.
class SpotGrid final : public QWidget {
public:
    SpotGrid(QLineEdit* q, QLineEdit* s, QWidget* parent) : QWidget(parent), m_q(q), m_s(s)
    {
        connect(q, &QLineEdit::textChanged, this, [this] { update(); });
        connect(s, &QLineEdit::textChanged, this, [this] { update(); });
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        constexpr int n = aespot::kGridSize;
        QPainter p(this);
        const QFontMetrics fm = p.fontMetrics();
        // Left of the cells the axis name s and the row digits, above them
        // the axis name q and the column digits.
        const int nameWidth = fm.horizontalAdvance(QLatin1Char('s')) + 8;
        const int digitWidth = fm.horizontalAdvance(QLatin1Char('F')) + 6;
        const int line = fm.height();
        const int left = nameWidth + digitWidth;
        const int top = 2 * line;
        const int cell = qMax(1, qMin(width() - left - 1, height() - top - 1) / n);
        const QRect cells(left, top, cell * n, cell * n);
        p.fillRect(cells, palette().base());

        const auto q = aespot::parsePosition(m_q->text());
        const auto s = aespot::parsePosition(m_s->text());
        if (q && s)
            p.fillRect(left + *q * cell, top + *s * cell, cell, cell, palette().highlight());

        p.setPen(palette().color(QPalette::Mid));
        for (int i = 0; i <= n; ++i) {
            p.drawLine(left + i * cell, top, left + i * cell, top + n * cell);
            p.drawLine(left, top + i * cell, left + n * cell, top + i * cell);
        }
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QRect(left, 0, n * cell, line), Qt::AlignCenter, QStringLiteral("q"));
        p.drawText(QRect(0, top, nameWidth, n * cell), Qt::AlignCenter, QStringLiteral("s"));
        for (int i = 0; i < n; ++i) {
            const QString digit = QString::number(i, 16).toUpper();
            p.drawText(QRect(left + i * cell, line, cell, line), Qt::AlignCenter, digit);
            p.drawText(QRect(nameWidth, top + i * cell, digitWidth - 4, cell), Qt::AlignRight | Qt::AlignVCenter,
                       digit);
        }
    }

private:
    QLineEdit* m_q;
    QLineEdit* m_s;
};

} // namespace

FrmAES::FrmAES(WindowContext& context, HoldKind hold)
    : QDialog(&context.main), m_ctx(context), m_hold(context, hold)
{
    setObjectName(QStringLiteral("FrmAES"));
    setWindowTitle(QStringLiteral("AE SPOT"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);

    auto button = [this](const char* name, const char* caption, double l, double t, double w) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(twips::toRect(l, t, w, 375));
        return b;
    };
    auto position = [this](int index, const char* name, const char* caption, double top) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setObjectName(QStringLiteral("LblAES_%1").arg(index));
        label->setGeometry(twips::toRect(3900, top + 30, 1200, 255));
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setMaxLength(1);   // one hexadecimal digit
        box->setGeometry(twips::toRect(5160, top, 540, 315));
        return box;
    };
    aeSpotOn = button("AESpotON", "ON", 3900, 120, 1620);
    aeSpotOff = button("AESpotOFF", "OFF", 5640, 120, 1620);
    aeSpotPosX = position(0, "AESpotPosX", "q: 0 to F", 720);
    aeSpotPosY = position(1, "AESpotPosY", "s: 0 to F", 1140);
    aeSpotSet = button("AESpotSet", "Position Set", 3900, 1590, 3360);
    aeSpot = new TrafficText(m_log, TrafficLog::Sent, this);
    aeSpot->setObjectName(QStringLiteral("AESpot"));
    aeSpot->setGeometry(twips::toRect(3900, 2100, 3360, 1620));
    grid = new SpotGrid(aeSpotPosX, aeSpotPosY, this);
    grid->setObjectName(QStringLiteral("SpotGrid"));
    grid->setGeometry(twips::toRect(120, 120, 3600, 3600));
    setFixedSize(twips::toPixels(7380), twips::toPixels(3840));

    const int address = m_ctx.session.address();
    connect(aeSpotOn, &QPushButton::clicked, this,
            [this, address] { sendLogged(m_ctx.session, m_log, aespot::switchPacket(address, true)); });
    connect(aeSpotOff, &QPushButton::clicked, this,
            [this, address] { sendLogged(m_ctx.session, m_log, aespot::switchPacket(address, false)); });
    connect(aeSpotSet, &QPushButton::clicked, this, &FrmAES::AESpotSet_Click);
    connect(this, &QDialog::finished, this, [this] { m_hold.release(RefreshHold::Closing::ResumeIfAuto); });
}

void FrmAES::AESpotSet_Click()
{
    const auto q = aespot::parsePosition(aeSpotPosX->text());
    const auto s = aespot::parsePosition(aeSpotPosY->text());
    if (!q || !s) {
        m_ctx.messages.notify(QStringLiteral("Warning"),
                                 QStringLiteral("The position %1 must be one hexadecimal digit, 0 to F.\n"
                                                "Nothing was sent.")
                                     .arg(q ? QLatin1Char('s') : QLatin1Char('q')),
                                 QMessageBox::Warning);
        return;
    }
    sendLogged(m_ctx.session, m_log, aespot::positionPacket(m_ctx.session.address(), *q, *s));
}

void openAESpotWindow(WindowContext& context, HoldKind hold, QPoint placement)
{
    auto* window = new FrmAES(context, hold);
    placeBeside(*window, context.main, placement.x(), placement.y());
    window->show();
}

} // namespace peltro
