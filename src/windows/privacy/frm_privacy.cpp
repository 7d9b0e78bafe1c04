#include "frm_privacy.h"

#include "window_support.h"
#include "link.h"
#include "message_service.h"
#include "option_button.h"
#include "traffic_text.h"
#include "window_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace peltro {

namespace {

const QString kLettersAtoL = QStringLiteral(" A  B  C  D  E  F  G  H   I  J  K   L ");
const QString kLettersMtoX = QStringLiteral("M  N  O  P  Q  R   S  T  U  V  W  X ");

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QLabel* label(QWidget* parent, const QString& text)
{
    return new QLabel(text, parent);
}

QLineEdit* digitBox(QWidget* parent, const QString& name, const QString& text, int digits)
{
    auto* box = new HexDigitEdit(text, parent);
    box->setObjectName(name);
    box->setMaxLength(digits);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QString(digits + 2, QLatin1Char('W'))));
    return box;
}

QComboBox* list(QWidget* parent, const char* name, const QStringList& entries)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->addItems(entries);
    return combo;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

// ---------------------------------------------------------------------------

HexDigitEdit::HexDigitEdit(const QString& text, QWidget* parent) : QLineEdit(text, parent) {}

void HexDigitEdit::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    // Keys without a printable character (arrows, Delete, Backspace,
    // shortcuts) keep their usual meaning.
    if (text.size() != 1 || !text.at(0).isPrint()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QChar c = text.at(0);
    if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')) {
        QLineEdit::keyPressEvent(event);
    } else if (c >= u'a' && c <= u'f') {
        QKeyEvent upper(event->type(), event->key(), event->modifiers(), text.toUpper(), event->isAutoRepeat(),
                        ushort(event->count()));
        QLineEdit::keyPressEvent(&upper);
    } else {
        event->accept();   // dropped
    }
}

// ---------------------------------------------------------------------------

LetterRow::LetterRow(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void LetterRow::setCentres(const QList<int>& centres)
{
    m_centres = centres;
    update();
}

void LetterRow::paintEvent(QPaintEvent*)
{
    // The k-th letter of the text stands over the k-th box, whatever blanks
    // the text puts between the letters.
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    const QString letters = text().remove(QLatin1Char(' '));
    for (int k = 0; k < letters.size() && k < m_centres.size(); ++k)
        p.drawText(QRect(m_centres[k] - height(), 0, 2 * height(), height()), Qt::AlignCenter, letters.at(k));
}

MaskChecks::MaskChecks(const QString& prefix, QWidget* parent) : QWidget(parent)
{
    m_letters[0] = new LetterRow(kLettersAtoL, this);
    m_letters[1] = new LetterRow(kLettersMtoX, this);
    for (int i = 0; i < privacy::kMaskCount; ++i) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("%1_%2").arg(prefix).arg(i));
        box->setAccessibleName(privacy::maskLetter(i));
        box->setToolTip(privacy::maskLetter(i));
        m_boxes[i] = box;
    }
    placeBoxes();
}

privacy::MaskSet MaskChecks::masks() const
{
    privacy::MaskSet set{};
    for (int i = 0; i < privacy::kMaskCount; ++i)
        set[i] = m_boxes[i]->isChecked();
    return set;
}

int MaskChecks::pitch() const
{
    return m_boxes[0]->sizeHint().width() + 6;
}

QSize MaskChecks::sizeHint() const
{
    const int rowHeight = m_letters[0]->sizeHint().height() + m_boxes[0]->sizeHint().height();
    return {12 * pitch(), 2 * rowHeight + 4};
}

void MaskChecks::placeBoxes()
{
    const QSize box = m_boxes[0]->sizeHint();
    const int letterHeight = m_letters[0]->sizeHint().height();
    const int rowHeight = letterHeight + box.height();
    for (int row = 0; row < 2; ++row) {
        const int top = row * (rowHeight + 4);
        QList<int> centres;
        for (int k = 0; k < 12; ++k) {
            const int left = k * pitch() + 3;
            m_boxes[12 * row + k]->setGeometry(left, top + letterHeight, box.width(), box.height());
            centres << left + box.width() / 2;
        }
        m_letters[row]->setGeometry(0, top, 12 * pitch(), letterHeight);
        m_letters[row]->setCentres(centres);
    }
}

// ---------------------------------------------------------------------------

FrmPrivacy::FrmPrivacy(WindowContext& context) : QWidget(&context.main, Qt::Window), m_ctx(context)
{
    setObjectName(QStringLiteral("Privacy"));
    setWindowTitle(QStringLiteral("PrivacyZone Setting"));
    setAttribute(Qt::WA_DeleteOnClose);
    closeOnEscape(*this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(buildMaskSet(), 0, 0);
    grid->addWidget(buildDisplay(), 0, 1);
    grid->addWidget(buildColour(), 1, 1, 2, 1);

    auto* gridButtons = new QHBoxLayout;
    auto* gridOn = button(this, "CmdGridOn", QStringLiteral("GridOn"));
    connect(gridOn, &QPushButton::clicked, this, &FrmPrivacy::CmdGridOn);
    auto* gridOff = button(this, "cmdGridoff", QStringLiteral("Grid Off"));
    connect(gridOff, &QPushButton::clicked, this, &FrmPrivacy::cmdGridoff);
    gridButtons->addWidget(gridOn);
    gridButtons->addWidget(gridOff);
    gridButtons->addStretch();
    grid->addLayout(gridButtons, 1, 0);
    grid->addWidget(buildPanTiltAngle(), 2, 0);
    grid->addWidget(buildMovePanTilt(), 3, 0);
    grid->addWidget(buildSetPtz(), 4, 0);

    auto* logColumn = new QVBoxLayout;
    m_logBox = new TrafficText(m_log, TrafficLog::Sent, this);
    m_logBox->setObjectName(QStringLiteral("PrivacySetTxt"));
    // The longest packet (16 bytes) fits on one line.
    m_logBox->setMinimumWidth(m_logBox->fontMetrics().horizontalAdvance(QString(50, QLatin1Char('0'))));
    logColumn->addWidget(m_logBox);
    auto* clear = button(this, "ClrSET", QStringLiteral("Text Clear"));
    connect(clear, &QPushButton::clicked, this, &FrmPrivacy::ClrSET);
    logColumn->addWidget(clear, 0, Qt::AlignLeft);
    grid->addLayout(logColumn, 3, 1, 2, 1);
}

QGroupBox* FrmPrivacy::buildMaskSet()
{
    QGroupBox* box = frame(this, "FmMaskSet", QStringLiteral("Mask SET"));
    auto* g = new QGridLayout(box);
    m_combSetPrivacy = list(box, "combSetPrivacy", privacy::setMaskNames());
    g->addWidget(m_combSetPrivacy, 0, 0, 1, 2);
    m_new = new QCheckBox(QStringLiteral("New"), box);
    m_new->setObjectName(QStringLiteral("Check1"));
    g->addWidget(m_new, 0, 2, 1, 2);
    const QString captions[4] = {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Width"),
                                 QStringLiteral("Height")};
    const QString texts[4] = {QStringLiteral("01"), QStringLiteral("01"), QStringLiteral("05"), QStringLiteral("05")};
    for (int i = 0; i < 4; ++i) {
        g->addWidget(label(box, captions[i]), 1, i);
        m_zones[i] = digitBox(box, QStringLiteral("Zones_%1").arg(i), texts[i], 2);
        g->addWidget(m_zones[i], 2, i);
    }
    auto* set = button(box, "CmdPrivacySet", QStringLiteral("Privacy Zone Set"));
    connect(set, &QPushButton::clicked, this, &FrmPrivacy::CmdPrivacySet);
    g->addWidget(set, 3, 0, 1, 4);
    return box;
}

QGroupBox* FrmPrivacy::buildDisplay()
{
    QGroupBox* box = frame(this, "FmDisply", QStringLiteral("Disply"));
    auto* v = new QVBoxLayout(box);
    m_display = new MaskChecks(QStringLiteral("Checks0"), box);
    v->addWidget(m_display);
    auto* send = button(box, "cmdPrivacyDisp", QStringLiteral("Privacy Zone Display On/Off"));
    connect(send, &QPushButton::clicked, this, &FrmPrivacy::cmdPrivacyDisp);
    v->addWidget(send);
    return box;
}

QGroupBox* FrmPrivacy::buildColour()
{
    QGroupBox* box = frame(this, "FmMaskColor", QStringLiteral("Set Mask Color"));
    auto* v = new QVBoxLayout(box);
    m_colourMasks = new MaskChecks(QStringLiteral("Checks1"), box);
    v->addWidget(m_colourMasks);
    auto* g = new QGridLayout;
    for (int i = 0; i < 2; ++i) {
        g->addWidget(label(box, QStringLiteral("Color %1").arg(i + 1)), i, 0);
        auto* combo = new QComboBox(box);
        combo->setObjectName(QStringLiteral("Combo_%1").arg(i));
        combo->setPlaceholderText(QStringLiteral("Select Color"));
        combo->addItems(privacy::colourNames());
        combo->setCurrentIndex(-1);
        m_colour[i] = combo;
        g->addWidget(combo, i, 1);
    }
    m_half1 = new QCheckBox(QStringLiteral("Half"), box);
    m_half1->setObjectName(QStringLiteral("Chk1"));
    m_half2 = new QCheckBox(QStringLiteral("Half"), box);
    m_half2->setObjectName(QStringLiteral("Chk2"));
    g->addWidget(m_half1, 0, 2);
    g->addWidget(m_half2, 1, 2);
    auto* send = button(box, "cmdPrivacyColor", QStringLiteral("Set Color"));
    connect(send, &QPushButton::clicked, this, &FrmPrivacy::cmdPrivacyColor);
    g->addWidget(send, 0, 3, 2, 1);
    g->setColumnStretch(4, 1);
    v->addLayout(g);
    return box;
}

QGroupBox* FrmPrivacy::buildPanTiltAngle()
{
    QGroupBox* box = frame(this, "FmPanTiltAngle", QStringLiteral("Pan Tilt Angle"));
    auto* g = new QGridLayout(box);
    g->addWidget(label(box, QStringLiteral("Pan")), 0, 0);
    m_textPan = digitBox(box, QStringLiteral("TextPan"), QStringLiteral("000"), 3);
    g->addWidget(m_textPan, 0, 1);
    g->addWidget(label(box, QStringLiteral("Tilt")), 0, 2);
    m_textTilt = digitBox(box, QStringLiteral("TextTilt"), QStringLiteral("000"), 3);
    g->addWidget(m_textTilt, 0, 3);
    auto* send = button(box, "cmdPZMpantilt", QStringLiteral("Send Command"));
    connect(send, &QPushButton::clicked, this, &FrmPrivacy::cmdPZMpantilt);
    g->addWidget(send, 0, 4);
    // The scales: pan in degrees and its codes, then the tilt codes.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QString scales[3] = {QStringLiteral("-180    -90       0      90       180  "),
                               QStringLiteral("800h   C00h            400h     800h"),
                               QStringLiteral("A00h    E00h   200h    600h")};
    for (int i = 0; i < 3; ++i) {
        QLabel* scale = label(box, scales[i]);
        scale->setObjectName(QStringLiteral("LblScale_%1").arg(i));
        scale->setFont(fixed);
        g->addWidget(scale, 1 + i, 0, 1, 5);
    }
    g->setColumnStretch(5, 1);
    return box;
}

QGroupBox* FrmPrivacy::buildMovePanTilt()
{
    QGroupBox* box = frame(this, "FmMovePanTilt", QStringLiteral("Move Pan Tilt"));
    auto* h = new QHBoxLayout(box);
    auto* fields = new QGridLayout;
    fields->addWidget(label(box, QStringLiteral("Pan")), 0, 0);
    m_textMovePan = digitBox(box, QStringLiteral("TextMovePan"), QStringLiteral("00"), 2);
    fields->addWidget(m_textMovePan, 0, 1);
    fields->addWidget(label(box, QStringLiteral("Tilt")), 1, 0);
    m_textMoveTilt = digitBox(box, QStringLiteral("TextMoveTilt"), QStringLiteral("00"), 2);
    fields->addWidget(m_textMoveTilt, 1, 1);
    h->addLayout(fields);

    static const char* const kPositions[privacy::kDirectionCount] = {
        "top left", "top centre", "top right", "middle left", "centre", "middle right",
        "bottom left", "bottom centre", "bottom right"};
    auto* pad = new QGridLayout;
    m_opmove = new OptionGroup(box);
    for (int i = 0; i < privacy::kDirectionCount; ++i) {
        auto* option = new OptionButton(box);
        option->setObjectName(QStringLiteral("Opmove_%1").arg(i));
        option->setAccessibleName(QString::fromLatin1(kPositions[i]));
        option->setToolTip(QString::fromLatin1(kPositions[i]));
        m_opmove->addButton(option, i);
        pad->addWidget(option, i / 3, i % 3);
    }
    m_opmove->setSelected(privacy::kCentre, true);
    h->addLayout(pad);

    auto* send = button(box, "cmdMovePanTilt", QStringLiteral("Send Command"));
    connect(send, &QPushButton::clicked, this, &FrmPrivacy::cmdMovePanTilt);
    h->addWidget(send);
    h->addStretch();
    return box;
}

QGroupBox* FrmPrivacy::buildSetPtz()
{
    QGroupBox* box = frame(this, "FmSetPTZ", QStringLiteral("Set PTZ"));
    auto* g = new QGridLayout(box);
    m_comboSetPtz = list(box, "comboSetPTZ", privacy::ptzMaskNames());
    g->addWidget(m_comboSetPtz, 1, 0);
    g->addWidget(label(box, QStringLiteral("Pan")), 0, 1);
    m_ptzPan = digitBox(box, QStringLiteral("TextSetPTZpan"), {}, 3);
    g->addWidget(m_ptzPan, 1, 1);
    g->addWidget(label(box, QStringLiteral("Tilt")), 0, 2);
    m_ptzTilt = digitBox(box, QStringLiteral("TextSetPTZTilt"), {}, 3);
    g->addWidget(m_ptzTilt, 1, 2);
    g->addWidget(label(box, QStringLiteral("Zoom")), 0, 3);
    m_ptzZoom = digitBox(box, QStringLiteral("TextSetPTZzoom"), {}, 4);
    g->addWidget(m_ptzZoom, 1, 3);
    auto* send = button(box, "Command1", QStringLiteral("Send Command"));
    connect(send, &QPushButton::clicked, this, &FrmPrivacy::Command1);
    g->addWidget(send, 1, 4);
    g->setColumnStretch(5, 1);
    return box;
}

void FrmPrivacy::selectFirstEntries()
{
    for (QComboBox* combo : {m_combSetPrivacy, m_colour[0], m_colour[1], m_comboSetPtz})
        combo->setCurrentIndex(0);
}

// ---------------------------------------------------------------------------

void FrmPrivacy::refuse(const QString& text)
{
    m_ctx.messages.notify(QStringLiteral("Warning"), text, QMessageBox::Warning);
}

std::optional<QList<int>> FrmPrivacy::digits(const QString& frame, const QString& field, const QLineEdit* box,
                                             int count)
{
    std::optional<QList<int>> d = privacy::hexDigits(box->text(), count);
    if (!d) {
        refuse(QStringLiteral("%1: %2 must be %3 hexadecimal digits (0-9, A-F).\nNothing was sent.")
                   .arg(frame, field)
                   .arg(count));
    }
    return d;
}

void FrmPrivacy::SD(const Packet& packet)
{
    sendLogged(m_ctx.session, m_log, packet);
}

void FrmPrivacy::CmdPrivacySet()
{
    const QString frame = QStringLiteral("Mask SET");
    const int mask = m_combSetPrivacy->currentIndex();
    if (mask < 0) {
        refuse(QStringLiteral("Mask SET: choose a mask from the list.\nNothing was sent."));
        return;
    }
    const QString fields[4] = {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Width"),
                               QStringLiteral("Height")};
    QList<int> xywh;
    for (int i = 0; i < 4; ++i) {
        const std::optional<QList<int>> d = digits(frame, fields[i], m_zones[i], 2);
        if (!d)
            return;
        xywh << *d;
    }
    SD(privacy::maskRectanglePacket(m_ctx.session.address(), mask, m_new->isChecked(), xywh));
}

void FrmPrivacy::cmdPrivacyDisp()
{
    SD(privacy::maskDisplayPacket(m_ctx.session.address(), m_display->masks()));
}

void FrmPrivacy::cmdPrivacyColor()
{
    for (int i = 0; i < 2; ++i) {
        if (m_colour[i]->currentIndex() < 0) {
            refuse(QStringLiteral("Set Mask Color: choose Color %1 from its list.\nNothing was sent.").arg(i + 1));
            return;
        }
    }
    SD(privacy::maskColourPacket(m_ctx.session.address(), m_colourMasks->masks(), m_colour[0]->currentIndex(),
                                 m_half1->isChecked(), m_colour[1]->currentIndex(), m_half2->isChecked()));
}

void FrmPrivacy::CmdGridOn()
{
    SD(privacy::gridPacket(m_ctx.session.address(), true));
}

void FrmPrivacy::cmdGridoff()
{
    SD(privacy::gridPacket(m_ctx.session.address(), false));
}

void FrmPrivacy::cmdPZMpantilt()
{
    const QString frame = QStringLiteral("Pan Tilt Angle");
    const auto pan = digits(frame, QStringLiteral("Pan"), m_textPan, 3);
    if (!pan)
        return;
    const auto tilt = digits(frame, QStringLiteral("Tilt"), m_textTilt, 3);
    if (!tilt)
        return;
    SD(privacy::panTiltAnglePacket(m_ctx.session.address(), *pan, *tilt));
}

void FrmPrivacy::cmdMovePanTilt()
{
    const QString frame = QStringLiteral("Move Pan Tilt");
    const auto pan = digits(frame, QStringLiteral("Pan"), m_textMovePan, 2);
    if (!pan)
        return;
    const auto tilt = digits(frame, QStringLiteral("Tilt"), m_textMoveTilt, 2);
    if (!tilt)
        return;
    std::array<bool, privacy::kDirectionCount> selected{};
    for (int i = 0; i < privacy::kDirectionCount; ++i)
        selected[i] = m_opmove->button(i)->isChecked();
    SD(privacy::movePanTiltPacket(m_ctx.session.address(), *pan, *tilt, privacy::moveDirection(selected)));
}

void FrmPrivacy::Command1()
{
    const QString frame = QStringLiteral("Set PTZ");
    const int mask = m_comboSetPtz->currentIndex();
    if (mask < 0) {
        refuse(QStringLiteral("Set PTZ: choose a mask from the list.\nNothing was sent."));
        return;
    }
    const auto pan = digits(frame, QStringLiteral("Pan"), m_ptzPan, 3);
    if (!pan)
        return;
    const auto tilt = digits(frame, QStringLiteral("Tilt"), m_ptzTilt, 3);
    if (!tilt)
        return;
    const auto zoom = digits(frame, QStringLiteral("Zoom"), m_ptzZoom, 4);
    if (!zoom)
        return;
    SD(privacy::ptzMaskPacket(m_ctx.session.address(), mask, *pan, *tilt, *zoom));
}

void FrmPrivacy::ClrSET()
{
    m_log.clear();
}

} // namespace peltro
