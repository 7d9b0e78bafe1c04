#pragma once

#include "frm_title_k.h"
#include "window_support.h"
#include "frm_title_m.h"

#include <QObject>
#include <QPointer>
#include <map>

namespace peltro {

struct WindowContext;
class TickAction;

// The two title editors of the main window's "Title Set": the mouse editor
// opens first, "Keyboard" and "Mouse" replace one by the other. Both are
// modal; while either is open, auto refresh and the pan-tilt docking timer
// rest. Both send the three title packets, clear the title and switch the
// title display as operator commands of the main window.
class TitleEditors final : public QObject {
    Q_OBJECT
public:
    explicit TitleEditors(WindowContext& context, QObject* parent = nullptr);

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
    TickAction* displayItem() const;
    void load(TitleWindow* window);
    void closed(TitleWindow* window);
    int openCount() const { return int(!m_mouse.isNull()) + int(!m_keyboard.isNull()); }

    WindowContext& m_ctx;
    QPointer<FrmTitleM> m_mouse;
    QPointer<FrmTitleK> m_keyboard;
    bool m_timer2WasActive = false;
    std::map<TitleWindow*, RefreshHold> m_holds;   // each open editor holds auto refresh
};

} // namespace peltro
