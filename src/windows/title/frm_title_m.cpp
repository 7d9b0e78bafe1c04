#include "frm_title_m.h"

#include "camera_session.h"
#include "title_glyphs.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace peltro {

namespace {

// The outline of a cell: from (1, 1) to (23, 23) within it.
constexpr int kOutlineFrom = 1;
constexpr int kOutlineTo = title::kCell - 2;
// The part of a cell a character cell copies: 23 x 23 from (1, 1).
constexpr int kGlyphPart = title::kCell - 2;

QPushButton* editButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    // Typing goes on in the character cells after a click here.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

GlyphPicture::GlyphPicture(QWidget* parent) : QWidget(parent), m_picture(title::glyphPicture()), m_shown(m_picture)
{
    setObjectName(QStringLiteral("Picture1"));
    setFixedSize(m_picture.size());
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
}

void GlyphPicture::invertBox(int cell)
{
    const int left = title::kCell * (cell % title::kColumns);
    const int top = title::kCell * (cell / title::kColumns);
    // Every pixel of the box's edge is inverted exactly once, so drawing the
    // same box again restores the picture.
    auto invert = [this](int x, int y) { m_shown.setPixel(x, y, ~m_shown.pixel(x, y) | 0xFF000000u); };
    for (int i = kOutlineFrom; i <= kOutlineTo; ++i) {
        invert(left + i, top + kOutlineFrom);
        invert(left + i, top + kOutlineTo);
    }
    for (int i = kOutlineFrom + 1; i < kOutlineTo; ++i) {
        invert(left + kOutlineFrom, top + i);
        invert(left + kOutlineTo, top + i);
    }
}

void GlyphPicture::highlight(int cell)
{
    if (cell < 0 || cell >= title::kGlyphCount || m_highlighted == cell)
        return;
    if (m_highlighted)
        invertBox(*m_highlighted);
    invertBox(cell);
    m_highlighted = cell;
    update();
}

void GlyphPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, m_shown);
}

void GlyphPicture::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (const std::optional<int> code = title::pictureCode(at.x(), at.y()))
        highlight(*code);
}

void GlyphPicture::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton)
        return;
    if (const std::optional<int> code = title::pictureCode(at.x(), at.y()))
        Q_EMIT glyphClicked(*code);
}

// ---------------------------------------------------------------------------

TitleCell::TitleCell(QWidget* parent) : QWidget(parent)
{
    setFixedSize(title::kCell, title::kCell);
    setFocusPolicy(Qt::StrongFocus);
}

void TitleCell::setGlyph(const QImage& glyph, bool atCursor)
{
    m_glyph = glyph;
    m_atCursor = atCursor;
    update();
}

void TitleCell::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), m_atCursor ? Qt::black : Qt::white);
    p.drawImage(1, 1, m_glyph);
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void TitleCell::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    Q_EMIT clicked();
}

void TitleCell::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyTyped(event->key(), event->text());
    // The window still sees the key, so that Escape closes it.
    QWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------------------

FrmTitleM::FrmTitleM(QWidget* owner, CameraSession& session)
    : TitleWindow(owner, {"FrmTitle_M", "Title Set with Mouse", "HoliPos", "Holizontal Position", 23, "VerPos",
                          "ColorSel", "BlinkSel", "Keyboard", "Keyboard"}),
      m_session(session)
{
    auto* v = new QVBoxLayout(this);
    m_picture = new GlyphPicture(this);
    v->addWidget(m_picture, 0, Qt::AlignLeft);
    connect(m_picture, &GlyphPicture::glyphClicked, this, &FrmTitleM::InsertChar);

    // The row of character cells, a thin gap between neighbours.
    auto* cells = new QWidget(this);
    cells->setObjectName(QStringLiteral("CharRow"));
    cells->setAutoFillBackground(true);
    QPalette gap = cells->palette();
    gap.setColor(QPalette::Window, Qt::darkGray);
    cells->setPalette(gap);
    auto* row = new QHBoxLayout(cells);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    for (int i = 0; i < kCellCount; ++i) {
        auto* cell = new TitleCell(cells);
        cell->setObjectName(QStringLiteral("Char_%1").arg(i));
        connect(cell, &TitleCell::clicked, this, [this, i] { clickCell(i); });
        connect(cell, &TitleCell::keyTyped, this, &FrmTitleM::typed);
        m_cells[i] = cell;
        row->addWidget(cell);
    }
    v->addWidget(cells, 0, Qt::AlignLeft);

    auto* editing = new QHBoxLayout;
    QPushButton* bs = editButton(this, "BS", QStringLiteral("BS"));
    QPushButton* del = editButton(this, "DEL", QStringLiteral("DEL"));
    QPushButton* left = editButton(this, "Left", QStringLiteral("<- Left"));
    QPushButton* right = editButton(this, "Right", QStringLiteral("Right ->"));
    connect(bs, &QPushButton::clicked, this, &FrmTitleM::BS);
    connect(del, &QPushButton::clicked, this, &FrmTitleM::DEL);
    connect(left, &QPushButton::clicked, this, &FrmTitleM::Left);
    connect(right, &QPushButton::clicked, this, &FrmTitleM::Right);
    for (QPushButton* b : {bs, del, left, right})
        editing->addWidget(b);
    editing->addStretch();
    v->addLayout(editing);

    v->addWidget(positionRow());
    v->addWidget(lookRow());
    v->addWidget(buttonRow());
    setFixedSize(sizeHint());

    // Loading: a fresh outline, the cursor at the start, typing into cell 0.
    m_picture->forgetHighlight();
    m_cursor = 0;
    ReDraw();
    m_cells[0]->setFocus();
}

title::Row& FrmTitleM::row()
{
    return m_session.titleRow(m_session.address());
}

void FrmTitleM::InsertChar(int code)
{
    title::insertCode(row(), m_cursor, code);
    ReDraw();
}

void FrmTitleM::BS()
{
    title::backspace(row(), m_cursor);
    ReDraw();
}

void FrmTitleM::DEL()
{
    title::deleteAt(row(), m_cursor);
    ReDraw();
}

void FrmTitleM::Left()
{
    title::moveLeft(m_cursor);
    ReDraw();
}

void FrmTitleM::Right()
{
    title::moveRight(m_cursor);
    ReDraw();
}

void FrmTitleM::clickCell(int i)
{
    if (i < 0 || i >= kCellCount)
        return;
    m_cursor = i;
    ReDraw();
}

void FrmTitleM::typed(int key, const QString& text)
{
    switch (key) {
    case Qt::Key_Backspace: BS(); return;
    case Qt::Key_Delete: DEL(); return;
    case Qt::Key_Left: Left(); return;
    case Qt::Key_Right: Right(); return;
    default: break;
    }
    if (text.size() != 1)
        return;
    if (const std::optional<int> code = title::codeOf(text.at(0)))
        InsertChar(*code);
}

void FrmTitleM::ReDraw()
{
    const QImage& picture = m_picture->picture();
    const title::Row& r = row();
    for (int i = 0; i < kCellCount; ++i) {
        // Only codes of the set are ever stored; anything else shows blank.
        const int code = r[i] < title::kGlyphCount ? r[i] : title::kSpace;
        const QImage glyph = picture.copy(title::kCell * (code % title::kColumns) + 1,
                                          title::kCell * (code / title::kColumns) + 1, kGlyphPart, kGlyphPart);
        // At the cursor the black background shows as a frame around the
        // glyph, which is copied as it is.
        m_cells[i]->setGlyph(glyph, i == m_cursor);
    }
}

std::array<int, title::kLength> FrmTitleM::codesToSend()
{
    std::array<int, title::kLength> codes{};
    const title::Row& r = row();
    for (int i = 0; i < title::kLength; ++i)
        codes[i] = r[i];
    return codes;
}

void FrmTitleM::clearTitle()
{
    title::Row& r = row();
    std::fill(r.begin(), r.begin() + title::kLength, title::kSpace);
    ReDraw();
}

} // namespace peltro
