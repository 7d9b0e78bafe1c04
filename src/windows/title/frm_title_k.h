#pragma once

#include "title_window.h"

class QLineEdit;
class QPlainTextEdit;

namespace peltro {

// "Title Set": the title typed as ordinary text and translated into camera
// codes when it is sent, beside the list of the keys that stand for the
// camera's glyphs. It keeps nothing once closed.
class FrmTitleK final : public TitleWindow {
    Q_OBJECT
public:
    explicit FrmTitleK(QWidget* owner);

    QLineEdit* text1() const { return m_text1; }
    QPlainTextEdit* text3() const { return m_text3; }

    // Pads the title with blanks to its 20 characters (the box shows the
    // padded text) and translates them.
    std::array<int, title::kLength> codesToSend() override;
    void clearTitle() override;

private:
    QLineEdit* m_text1 = nullptr;
    QPlainTextEdit* m_text3 = nullptr;
};

} // namespace peltro
