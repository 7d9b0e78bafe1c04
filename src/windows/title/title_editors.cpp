#include "title_editors.h"

#include "window_support.h"
#include "frm_title_k.h"
#include "frm_title_m.h"
#include "message_service.h"
#include "tick_action.h"
#include "required_child.h"
#include "twips.h"

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

TitleEditors::TitleEditors(WindowContext& context, QObject* parent) : QObject(parent), m_ctx(context) {}

TickAction* TitleEditors::displayItem() const
{
    return requireChild<TickAction>(&m_ctx.main, QStringLiteral("TitleOnOff"));
}

void TitleEditors::TitleSet()
{
    if (openCount() > 0)
        return;   // an editor is open already, and modal
    auto* mouse = new FrmTitleM(&m_ctx.main, m_ctx.session);
    m_mouse = mouse;
    load(mouse);
    placeBeside(*mouse, m_ctx.main, 100, 100);
    mouse->show();
}

void TitleEditors::switchToKeyboard()
{
    FrmTitleM* mouse = m_mouse;
    if (!mouse || m_keyboard)
        return;
    // The keyboard editor is loaded before the mouse editor closes, so that
    // auto refresh and the docking timer stay at rest in between.
    auto* keyboard = new FrmTitleK(&m_ctx.main);
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
    auto* mouse = new FrmTitleM(&m_ctx.main, m_ctx.session);
    m_mouse = mouse;
    load(mouse);
    placeOnScreen(*mouse, keyboard->pos(), *keyboard);
    keyboard->close();
    mouse->show();
}

void TitleEditors::load(TitleWindow* window)
{
    m_holds[window] = m_ctx.session.refresh().holdForWindow(RefreshHold::Closing::ResumeIfAuto);
    if (openCount() == 1) {
        m_timer2WasActive = m_ctx.dockTimer.isActive();
        m_ctx.dockTimer.stop();
    }
    window->displaySwitch()->setChecked(displayItem()->isChecked());

    connect(window->okButton(), &QPushButton::clicked, this, [this, window] { OK(*window); });
    connect(window->clearButton(), &QPushButton::clicked, this, [this, window] { Clear(*window); });
    connect(window->displaySwitch(), &QCheckBox::clicked, this, [this, window] { Check1(*window); });
    connect(window->switchButton(), &QPushButton::clicked, this,
            window == m_mouse ? &TitleEditors::switchToKeyboard : &TitleEditors::switchToMouse);
    connect(window, &TitleWindow::closing, this, [this, window] { closed(window); });
}

void TitleEditors::closed(TitleWindow* window)
{
    if (window == m_mouse)
        m_mouse = nullptr;
    else if (window == m_keyboard)
        m_keyboard = nullptr;
    // No delayed read survives a title editor; auto refresh comes back as
    // the operator left it, unless the camera's alarm detection is on.
    m_ctx.session.refresh().forgetDelayedRead();
    if (auto it = m_holds.find(window); it != m_holds.end()) {
        it->second.setClosing(m_ctx.session.alarm().on ? RefreshHold::Closing::Stop
                                                       : RefreshHold::Closing::ResumeIfAuto);
        m_holds.erase(it);
    }
    if (openCount() == 0 && m_timer2WasActive)
        m_ctx.dockTimer.start();
}

void TitleEditors::OK(TitleWindow& window)
{
    const std::optional<int> vertical = title::positionValue(window.verticalBox()->text());
    const std::optional<int> horizontal = title::positionValue(window.horizontalBox()->text());
    const char* refused = !vertical ? "Vertical Position" : !horizontal ? "Horizontal Position" : nullptr;
    if (refused) {
        m_ctx.messages.notify(QStringLiteral("Warning"),
                                 QStringLiteral("%1 must be a number from 0 to 254.\nThe title was not sent.")
                                     .arg(QLatin1String(refused)),
                                 QMessageBox::Warning);
        return;
    }
    const title::Look look{*vertical, *horizontal, itemValue(window.colourList()), itemValue(window.blinkList())};
    const auto packets = title::titlePackets(m_ctx.session.address(), look, window.codesToSend());
    for (const Packet& packet : packets)
        m_ctx.session.command(packet);
}

void TitleEditors::Clear(TitleWindow& window)
{
    m_ctx.session.command(title::clearPacket(m_ctx.session.address()));
    window.clearTitle();
}

void TitleEditors::Check1(TitleWindow& window)
{
    TickAction* menuTick = displayItem();
    QCheckBox* box = window.displaySwitch();
    const bool wanted = box->isChecked();
    CameraSession& session = m_ctx.session;
    if (wanted != menuTick->isChecked() && session.link().RefreshNotGoCheck()
        && session.command(title::displayPacket(session.address(), wanted)) == SendResult::Sent) {
        menuTick->setChecked(wanted);
    }
    // The box shows what the camera was told: a refused switch goes back.
    box->setChecked(menuTick->isChecked());
}

} // namespace peltro
