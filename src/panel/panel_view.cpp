#include "panel_view.h"

#include "frm_main.h"
#include "message_service.h"
#include "tick_action.h"
#include "twips.h"
#include "value_table.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>

namespace peltro {

PanelView::PanelView(FrmMain& main, QObject* parent) : QObject(parent), m(main), m_session(main.session())
{
    RefreshMachine& refresh = m_session.refresh();
    auto showRefresh = [this] {
        const RefreshMachine& r = m_session.refresh();
        m.autoRefreshed->setText(r.caption());
        m.autoRefreshed->setEnabled(r.toggleEnabled());
        m.refreshOnce->setEnabled(r.refreshOnceEnabled());
    };
    connect(&refresh, &RefreshMachine::changed, this, showRefresh);
    showRefresh();
    connect(m.autoRefreshed, &QPushButton::clicked, &refresh, &RefreshMachine::toggleAuto);
    connect(m.refreshOnce, &QPushButton::clicked, this, [this] { m_session.refreshOnce(); });
    connect(&refresh, &RefreshMachine::readErrorWarning, this, [this] {
        m.messages().notify(QStringLiteral("Warning"), QStringLiteral("Refresh Action Error !\nRefresh Action is Stopped."),
                            QMessageBox::Critical, [this] { m_session.refreshErrorAnswered(); });
    });
    connect(&m_session, &CameraSession::warning, this,
            [this](const QString& text) { m.messages().notify(QStringLiteral("Warning"), text, QMessageBox::Warning); });

    connect(&m_session, &CameraSession::identified, this, [this](int, const Identity& identity) {
        // Start-up takes no more than the family of the first two pan/tilt
        // models: their panel comes with the status read that follows.
        if (m_session.startupRunning() && identity.panTilt() && identity.model != kModelP3) {
            Identity family = identity;
            family.model = 0;
            family.name.clear();
            applyProfile(family);
            return;
        }
        applyProfile(identity);
    });
    connect(&m_session, &CameraSession::statusRead, this, &PanelView::applyStatus);
    connect(&m_session, &CameraSession::noAnswer, this, &PanelView::onNoAnswer);
    connect(&m_session, &CameraSession::answeredAgain, this, &PanelView::onAnsweredAgain);
    connect(&m_session, &CameraSession::chainCounted, this, [this](int count) { m.showCameraItems(count); });
    connect(&m_session, &CameraSession::addressChanged, this, [this](int address) {
        m.checkCamera(address);
        m.active->setText(QString::number(address));
    });
    connect(&m_session, &CameraSession::cameraIdWritten, this,
            [this](int id) { m.cameraIdText->setText(QString::number(id)); });
    connect(&m_session, &CameraSession::powerChanged, this,
            [this](bool on) { m.action(QStringLiteral("Power"))->setChecked(on); });

    // The Camera and Select menus.
    connect(m.action(QStringLiteral("IFClear")), &QAction::triggered, &m_session, &CameraSession::interfaceClear);
    connect(m.action(QStringLiteral("IFClearB")), &QAction::triggered, &m_session,
            &CameraSession::interfaceClearBroadcast);
    connect(m.action(QStringLiteral("AddressSet")), &QAction::triggered, this, [this] { m_session.addressSet(); });
    connect(m.tick(QStringLiteral("Power")), &TickAction::clicked, this,
            [this] { m_session.setPowerOf(!m.action(QStringLiteral("Power"))->isChecked()); });
    for (int i = 1; i <= 7; ++i)
        connect(m.tick(QStringLiteral("CameraSel_%1").arg(i)), &TickAction::clicked, this,
                [this, i] { m_session.selectCamera(i); });

    // The status line.
    QStatusBar* bar = m.statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    m_linkState = new QLabel(bar);
    m_linkState->setObjectName(QStringLiteral("LinkState"));
    m_linkState->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_linkState->setWordWrap(true);   // a long device name leaves nothing cut off
    bar->addWidget(m_linkState, 1);
    // Nothing to say while the link is well: no line taken from the panel.
    bar->hide();
    m_hideLinkState.setSingleShot(true);
    m_hideLinkState.setInterval(kBackShownMs);
    connect(&m_hideLinkState, &QTimer::timeout, this, [this] { fitBar(false); });
    connect(&m_session, &CameraSession::linkNews, this, &PanelView::showLinkNews);

    recordDesignedState();
}

// --- the link ---------------------------------------------------------------

void PanelView::showLinkNews(const LinkNews& news)
{
    static const char* const styles[] = {
        "QLabel { background: #ffd6d6; color: #7a0000; font-weight: bold; padding: 2px; }",
        "QLabel { background: #fff4c2; color: #5a4500; padding: 2px; }",
        "QLabel { background: #d9f5d9; color: #0b4d0b; padding: 2px; }",
    };
    m_hideLinkState.stop();
    m_linkState->setStyleSheet(QString::fromLatin1(styles[int(news.tone)]));
    m_linkState->setText(news.text);
    fitBar(true);
    // Also for whoever started the panel from a terminal or keeps its log.
    if (news.tone == LinkNews::Tone::Alarm)
        qWarning().noquote() << news.text;
    else
        qInfo().noquote() << news.text;
    if (!news.lasting)
        m_hideLinkState.start();
}

void PanelView::fitBar(bool shown)
{
    QStatusBar* bar = m.statusBar();
    const int before = bar->isHidden() ? 0 : bar->maximumHeight();
    int after = 0;
    if (shown) {
        // The label's lines at the window's width, and the bar's margins.
        after = m_linkState->heightForWidth(m.width() - 12) + 6;
        bar->setFixedHeight(after);
        bar->show();
    } else {
        bar->hide();
    }
    // The panel's controls keep their room: the window grows and shrinks by
    // the line instead of hiding part of them behind scroll bars.
    if (after != before) {
        m.resize(m.width(), m.height() + after - before);
        // Grown at the foot of the screen, the window rises rather than put
        // its last row out of sight.
        if (const QScreen* screen = m.screen()) {
            const QRect area = screen->availableGeometry();
            const QRect frame = m.frameGeometry();
            if (frame.bottom() > area.bottom())
                m.move(frame.left(), qMax(area.top(), frame.top() - (frame.bottom() - area.bottom())));
        }
    }
}

// --- a camera that does not answer -------------------------------------------

void PanelView::onNoAnswer(int address)
{
    // The values on show are not the addressed camera's: say so where the
    // model's name stands, until a read of it succeeds.
    if (!m.modelVersion->text().endsWith(QLatin1String(": no answer")))
        m_answeredName = m.modelVersion->text();
    m.modelVersion->setText(QStringLiteral("Camera %1: no answer").arg(address));
}

void PanelView::onAnsweredAgain()
{
    // A camera identified meanwhile has put its own name up already.
    if (m.modelVersion->text().endsWith(QLatin1String(": no answer")))
        m.modelVersion->setText(m_answeredName);
}

// --- model configuration ------------------------------------------------------

void PanelView::recordDesignedState()
{
    for (const PanelStep& step : profileTouches()) {
        Designed d;
        switch (step.op) {
        case PanelStep::Op::ItemEnabled:
        case PanelStep::Op::ItemShown: {
            const QAction* a = m.action(step.name);
            d.enabled = a->isEnabled();
            d.visible = a->isVisible();
            break;
        }
        default: {
            const QWidget* w = m.control<QWidget>(step.name);
            d.visible = !w->isHidden();
            d.geometry = w->geometry();
            if (const auto* slider = qobject_cast<const QSlider*>(w))
                d.maximum = slider->maximum();
            if (const auto* button = qobject_cast<const QAbstractButton*>(w))
                d.text = button->text();
            break;
        }
        }
        // The first look at a name is its designed state.
        if (!m_designed.contains(step.name))
            m_designed.insert(step.name, d);
    }
}

void PanelView::restoreDesignedState()
{
    for (const PanelStep& step : profileTouches()) {
        const Designed& d = m_designed[step.name];
        switch (step.op) {
        case PanelStep::Op::ItemEnabled: m.action(step.name)->setEnabled(d.enabled); break;
        case PanelStep::Op::ItemShown: m.action(step.name)->setVisible(d.visible); break;
        case PanelStep::Op::Shown: m.control<QWidget>(step.name)->setVisible(d.visible); break;
        case PanelStep::Op::SliderMax: m.control<QSlider>(step.name)->setMaximum(d.maximum); break;
        case PanelStep::Op::Height:
        case PanelStep::Op::Top:
        case PanelStep::Op::Below: m.control<QWidget>(step.name)->setGeometry(d.geometry); break;
        case PanelStep::Op::Caption: m.control<QAbstractButton>(step.name)->setText(d.text); break;
        case PanelStep::Op::ClearText:
        case PanelStep::Op::Unchecked: break;   // values, not configuration
        }
    }
}

void PanelView::applyStep(const PanelStep& step)
{
    switch (step.op) {
    case PanelStep::Op::ItemEnabled: m.action(step.name)->setEnabled(step.value != 0); break;
    case PanelStep::Op::ItemShown: m.action(step.name)->setVisible(step.value != 0); break;
    case PanelStep::Op::Shown: m.control<QWidget>(step.name)->setVisible(step.value != 0); break;
    case PanelStep::Op::SliderMax:
        m.control<QSlider>(step.name)->setMaximum(step.value < 0 ? sliderDef(step.name).max : step.value);
        break;
    case PanelStep::Op::Height: {
        QWidget* w = m.control<QWidget>(step.name);
        w->resize(w->width(), twips::toPixels(step.value));
        break;
    }
    case PanelStep::Op::Top: {
        QWidget* w = m.control<QWidget>(step.name);
        w->move(w->x(), twips::toPixels(step.value));
        break;
    }
    case PanelStep::Op::Below: {
        QWidget* w = m.control<QWidget>(step.name);
        const QWidget* above = m.control<QWidget>(step.anchor);
        if (step.value == 0)
            w->move(above->x(), above->y() + above->height());
        else
            w->move(above->x(), twips::toPixels(twips::fromPixels(above->y()) + twips::fromPixels(above->height())
                                                - step.value));
        break;
    }
    case PanelStep::Op::Caption: m.control<QAbstractButton>(step.name)->setText(step.text); break;
    case PanelStep::Op::ClearText: m.control<QLineEdit>(step.name)->clear(); break;
    case PanelStep::Op::Unchecked: m.control<QCheckBox>(step.name)->setChecked(false); break;
    }
}

void PanelView::applyProfile(const std::optional<Identity>& identity)
{
    const PanelProfile profile = panelProfile(identity);
    restoreDesignedState();
    if (profile.family) {
        m.setWindowTitle(profile.caption);
        m.setWindowIcon(QIcon(profile.icon));
    }
    for (const PanelStep& step : profile.steps)
        applyStep(step);
    m.labels = profile.labels;
    if (profile.modelName)
        m.modelVersion->setText(*profile.modelName);
    if (profile.system)
        m.ntscOrPal->setText(*profile.system);
    if (profile.clearStatusBoxes) {
        m.ntscOrPal->clear();
        m.cameraIdText->clear();
    }
}

} // namespace peltro
