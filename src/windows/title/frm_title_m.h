#pragma once

#include "title_window.h"

#include <QImage>
#include <QWidget>
#include <array>
#include <optional>

namespace peltro {

class CameraSession;

// The picture of the camera's 80 glyphs, 16 x 5 cells of 25 x 25 units (a
// unit is a pixel). The cell under the pointer is outlined in invert mode;
// a click on a cell picks its glyph.
class GlyphPicture final : public QWidget {
    Q_OBJECT
public:
    explicit GlyphPicture(QWidget* parent = nullptr);

    // The picture without any outline: where the character cells copy from.
    const QImage& picture() const { return m_picture; }
    // What the window shows: the picture with the outline, if any.
    const QImage& shown() const { return m_shown; }
    std::optional<int> highlightedCell() const { return m_highlighted; }
    // Moves the outline to the cell (erasing the earlier one first).
    void highlight(int cell);
    void forgetHighlight() { m_highlighted.reset(); }

Q_SIGNALS:
    void glyphClicked(int code);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void invertBox(int cell);

    QImage m_picture;
    QImage m_shown;
    std::optional<int> m_highlighted;
};

// One character cell of the title row: the glyph at its position, framed
// in black at the cursor. It takes the keyboard focus for typing.
class TitleCell final : public QWidget {
    Q_OBJECT
public:
    explicit TitleCell(QWidget* parent = nullptr);

    void setGlyph(const QImage& glyph, bool atCursor);
    bool atCursor() const { return m_atCursor; }
    QSize sizeHint() const override { return {title::kCell, title::kCell}; }

Q_SIGNALS:
    void clicked();
    void keyTyped(int key, const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QImage m_glyph;
    bool m_atCursor = false;
};

// "Title Set with Mouse": the title of the addressed camera built from the
// glyph picture, or typed, in a row of 20 character cells with a cursor.
// The title lives in the panel's title buffer, so it is there again the
// next time the window opens for the same camera.
class FrmTitleM final : public TitleWindow {
    Q_OBJECT
public:
    FrmTitleM(QWidget* owner, CameraSession& session);

    static constexpr int kCellCount = title::kLength;

    GlyphPicture* picture() const { return m_picture; }
    TitleCell* cell(int i) const { return m_cells[i]; }

    // Editing; each ends with ReDraw().
    void InsertChar(int code);
    void BS();
    void DEL();
    void Left();
    void Right();
    void clickCell(int i);
    void ReDraw();

    std::array<int, title::kLength> codesToSend() override;
    void clearTitle() override;

private:
    title::Row& row();
    void typed(int key, const QString& text);

    CameraSession& m_session;
    int m_cursor = 0;   // the insertion point 0..19
    GlyphPicture* m_picture = nullptr;
    std::array<TitleCell*, kCellCount> m_cells{};
};

} // namespace peltro
