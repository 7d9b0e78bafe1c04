#pragma once

#include "frm_title_k.h"
#include "frm_title_m.h"

#include <QObject>
#include <QPointer>

namespace peltro {

class FrmMain;

// The two title editors of the main window's "Title Set": the mouse editor
// opens first, "Keyboard" and "Mouse" replace one by the other. Both are
// modal; while either is open, auto refresh and the pan-tilt docking timer
// rest. Both send the three title packets, clear the title and switch the
// title display as operator commands of the main window.
class TitleEditors final : public QObject {
    Q_OBJECT
public:
    explicit TitleEditors(FrmMain& main, QObject* parent = nullptr);

    void TitleSet();
    void switchToKeyboard();
    void switchToMouse();

    FrmTitleM* mouseEditor() const { return m_mouse; }
    FrmTitleK* keyboardEditor() const { return m_keyboard; }

    // The buttons both editors share.
    void OK(TitleWindow& window);
    void Clear(TitleWindow& window);
    void Check1(TitleWindow& window);

private:
    void load(TitleWindow* window);
    void closed(TitleWindow* window);
    int openCount() const { return int(!m_mouse.isNull()) + int(!m_keyboard.isNull()); }

    FrmMain& m_main;
    QPointer<FrmTitleM> m_mouse;
    QPointer<FrmTitleK> m_keyboard;
    bool m_timer2WasActive = false;
};

} // namespace peltro
