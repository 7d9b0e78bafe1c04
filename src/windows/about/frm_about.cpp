#include "frm_about.h"

#include "window_support.h"
#include "link.h"
#include "program_info.h"
#include "twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

namespace peltro {

namespace {

// How long the information window waits to be on screen before it reads the
// camera anyway; the reads do not return to the event loop.

QLabel* label(QWidget* parent, const char* name, const QString& text, double l, double t, double w, double h = 255)
{
    auto* lbl = new QLabel(text, parent);
    lbl->setObjectName(QString::fromLatin1(name));
    lbl->setGeometry(twips::toRect(l, t, w, h));
    return lbl;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, double l, double t, double w)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(twips::toRect(l, t, w, 375));
    return b;
}

} // namespace

FrmAbout::FrmAbout(WindowContext& context) : QDialog(&context.main), m_ctx(context)
{
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("Version Information"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);

    const program::VersionNumbers v = program::versionNumbers();
    lblTitle = label(this, "lblTitle", program::title(), 240, 180, 5400, 480);
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = label(this, "lblVersion",
                       QStringLiteral("Version %1.%2  Revision %3").arg(v.major).arg(v.minor).arg(v.build), 240,
                       720, 5400);
    lblDescription = label(this, "lblDescription", QString(), 240, 1080, 5400, 480);
    lblSyouhyou = label(this, "lblSyouhyou", program::trademark() + QLatin1Char(' ') + program::company(), 240,
                        1680, 5400);
    lblTyosakukenn = label(this, "lblTyosakukenn", program::rights(), 240, 2040, 5400);
    okButton = button(this, "OK", "OK", 4440, 2520, 1200);
    okButton->setDefault(true);
    more = button(this, "more", "more Info.", 3120, 2520, 1200);
    setFixedSize(twips::toPixels(5880), twips::toPixels(3060));

    connect(okButton, &QPushButton::clicked, this, &QDialog::close);
    connect(more, &QPushButton::clicked, this, [this] {
        auto* info = new Frmmoreinfo(m_ctx, this);
        placeOnScreen(*info, pos() + QPoint(twips::toPixels(100), twips::toPixels(100)), *this);
        info->start();
    });
}

Frmmoreinfo::Frmmoreinfo(WindowContext& context, QWidget* owner, HoldKind hold)
    : QDialog(owner), m_ctx(context), m_hold(context, hold)
{
    setObjectName(QStringLiteral("Frmmoreinfo"));
    setWindowTitle(QStringLiteral("more Infomation"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);

    CameraSession& session = m_ctx.session;
    frame1 = new QGroupBox(QStringLiteral("Camera %1").arg(session.address()), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(twips::toRect(120, 60, 4560, 1500));
    lblRomVer = label(frame1, "LblRomVer", service::romVersionText(session.romHigh(), session.romLow()), 240, 330, 4200);
    lblDate = label(frame1, "LblDate", QString(), 240, 720, 4200);
    lblRemodel = label(frame1, "LblRemodel", QString(), 240, 1110, 4200);
    okButton = button(this, "OKButton", "OK", 1800, 1680, 1200);
    okButton->setEnabled(false);
    setFixedSize(twips::toPixels(4800), twips::toPixels(2220));

    if (service::hasServiceWords(session.panTiltFamily(), session.panTiltModel())) {
        m_sequence = std::make_unique<service::ServiceSequence>(session.address(), session.panTiltModel());
    }
    connect(okButton, &QPushButton::clicked, this, &QDialog::close);
    connect(this, &QDialog::finished, this,
            [this] { m_hold.release(RefreshHold::Closing::ResumeIfAuto); });
}

void Frmmoreinfo::start()
{
    show();
    read();
}

Job Frmmoreinfo::read()
{
    // One command after another; the window is drawn and stays live while
    // each waits for its reply.
    CameraSession& session = m_ctx.session;
    while (m_sequence && !m_sequence->done()) {
        const QByteArray reply = co_await session.exchange(m_sequence->packet(), m_sequence->answerLength());
        m_sequence->take(reply);
        if (m_sequence->flushWanted())
            session.flushInput();
        showFacts();
    }
    finishReading();
}

void Frmmoreinfo::showFacts()
{
    if (m_sequence->year() && m_sequence->monthDay())
        lblDate->setText(service::dateText(*m_sequence->year(), *m_sequence->monthDay()));
    if (m_sequence->remodelCount())
        lblRemodel->setText(service::remodelText(*m_sequence->remodelCount()));
}

void Frmmoreinfo::finishReading()
{
    if (m_sequence)
        m_ctx.session.resumeReceiving();
    okButton->setEnabled(true);
}

bool Frmmoreinfo::reading() const
{
    return !okButton->isEnabled();
}

void Frmmoreinfo::reject()
{
    // Escape closes the window only once the camera has been read.
    if (!reading())
        QDialog::reject();
}

void Frmmoreinfo::closeEvent(QCloseEvent* event)
{
    if (reading()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void openVersionWindow(WindowContext& context, QPoint placement)
{
    auto* about = new FrmAbout(context);
    placeBeside(*about, context.main, placement.x(), placement.y());
    about->show();
}

} // namespace peltro
