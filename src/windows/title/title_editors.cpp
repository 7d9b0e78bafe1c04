#include "title_editors.h"

#include "frm_main.h"
#include "frm_title_k.h"
#include "frm_title_m.h"
#include "link.h"
#include "message_service.h"
#include "refresh_controller.h"
#include "tick_action.h"
#include "twips.h"
#include "window_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace peltro {

namespace {

// The item value of the selected entry; 0 when none is selected.
int itemValue(const QComboBox* list)
{
    return list->currentIndex() < 0 ? 0 : list->currentData().toInt();
}

} // namespace

TitleEditors::TitleEditors(FrmMain& main, QObject* parent) : QObject(parent), m_main(main)
{
    connect(main.action(QStringLiteral("TitleSet")), &QAction::triggered, this, &TitleEditors::TitleSet);
}

void TitleEditors::TitleSet()
{
    if (openCount() > 0)
        return;   // an editor is open already, and modal
    auto* mouse = new FrmTitleM(&m_main, m_main.state());
    m_mouse = mouse;
    load(mouse);
    placeOnScreen(*mouse, m_main.pos() + QPoint(twips::toPixels(100), twips::toPixels(100)), m_main);
    mouse->show();
}

void TitleEditors::switchToKeyboard()
{
    FrmTitleM* mouse = m_mouse;
    if (!mouse || m_keyboard)
        return;
    // The keyboard editor is loaded before the mouse editor closes, so that
    // auto refresh and the docking timer stay at rest in between.
    auto* keyboard = new FrmTitleK(&m_main);
    m_keyboard = keyboard;
    load(keyboard);
    placeOnScreen(*keyboard, mouse->pos(), *mouse);
    mouse->close();
    keyboard->show();
}

void TitleEditors::switchToMouse()
{
    FrmTitleK* keyboard = m_keyboard;
    if (!keyboard || m_mouse)
        return;
    auto* mouse = new FrmTitleM(&m_main, m_main.state());
    m_mouse = mouse;
    load(mouse);
    placeOnScreen(*mouse, keyboard->pos(), *keyboard);
    keyboard->close();
    mouse->show();
}

void TitleEditors::load(TitleWindow* window)
{
    RefreshController& refresh = m_main.refresh();
    refresh.holdForWindow();
    if (openCount() == 1) {
        m_timer2WasActive = m_main.timer2->isActive();
        m_main.timer2->stop();
    }
    window->displaySwitch()->setChecked(m_main.tick(QStringLiteral("TitleOnOff"))->isChecked());

    connect(window->okButton(), &QPushButton::clicked, this, [this, window] { OK(*window); });
    connect(window->clearButton(), &QPushButton::clicked, this, [this, window] { Clear(*window); });
    connect(window->displaySwitch(), &QCheckBox::clicked, this, [this, window] { Check1(*window); });
    connect(window->switchButton(), &QPushButton::clicked, this,
            window == m_mouse ? &TitleEditors::switchToKeyboard : &TitleEditors::switchToMouse);
    connect(window, &TitleWindow::closing, this, [this, window] { closed(window); });
}

void TitleEditors::closed(TitleWindow* window)
{
    if (window == m_mouse) {
        m_mouse = nullptr;
        m_main.state().titleCursor = 0;
    } else if (window == m_keyboard) {
        m_keyboard = nullptr;
    }
    RefreshController& refresh = m_main.refresh();
    // No delayed read survives a title editor; auto refresh comes back as
    // the operator left it, unless the camera's alarm detection is on.
    refresh.forgetDelayedRead();
    refresh.releaseWindow(RefreshController::Closing::StopIfAlarm, m_main.state().alarmOn);
    if (openCount() == 0 && m_timer2WasActive)
        m_main.timer2->start();
}

void TitleEditors::OK(TitleWindow& window)
{
    const std::optional<int> vertical = title::positionValue(window.verticalBox()->text());
    const std::optional<int> horizontal = title::positionValue(window.horizontalBox()->text());
    const char* refused = !vertical ? "Vertical Position" : !horizontal ? "Horizontal Position" : nullptr;
    if (refused) {
        m_main.messages().notify(QStringLiteral("Warning"),
                                 QStringLiteral("%1 must be a number from 0 to 254.\nThe title was not sent.")
                                     .arg(QLatin1String(refused)),
                                 QMessageBox::Warning);
        return;
    }
    const title::Look look{*vertical, *horizontal, itemValue(window.colourList()), itemValue(window.blinkList())};
    const auto packets = title::titlePackets(m_main.state().cameraAddress, look, window.codesToSend());
    for (const QList<int>& packet : packets)
        m_main.link().SD(Link::VarArrayToBytes(packet), 1);
}

void TitleEditors::Clear(TitleWindow& window)
{
    m_main.link().SD(Link::VarArrayToBytes(title::clearPacket(m_main.state().cameraAddress)), 1);
    window.clearTitle();
}

void TitleEditors::Check1(TitleWindow& window)
{
    TickAction* menuTick = m_main.tick(QStringLiteral("TitleOnOff"));
    QCheckBox* box = window.displaySwitch();
    const bool wanted = box->isChecked();
    Link& link = m_main.link();
    if (wanted != menuTick->isChecked() && link.RefreshNotGoCheck()
        && link.SD(Link::VarArrayToBytes(title::displayPacket(m_main.state().cameraAddress, wanted)), 1)
               == QLatin1String("OK")) {
        menuTick->setChecked(wanted);
    }
    // The box shows what the camera was told: a refused switch goes back.
    box->setChecked(menuTick->isChecked());
}

} // namespace peltro
