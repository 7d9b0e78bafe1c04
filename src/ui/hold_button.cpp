#include "hold_button.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPolygonF>

namespace peltro {

namespace {

constexpr int kGrid = 16; // glyphs are laid out on a 16 x 16 grid

QPolygonF triangle(QPointF a, QPointF b, QPointF c)
{
    return QPolygonF({a, b, c});
}

void drawGlyph(QPainter& painter, Glyph glyph)
{
    switch (glyph) {
    case Glyph::Left:
        painter.drawPolygon(triangle({11, 3}, {4, 8}, {11, 13}));
        break;
    case Glyph::Right:
        painter.drawPolygon(triangle({5, 3}, {12, 8}, {5, 13}));
        break;
    case Glyph::Up:
        painter.drawPolygon(triangle({3, 11}, {8, 4}, {13, 11}));
        break;
    case Glyph::Down:
        painter.drawPolygon(triangle({3, 5}, {8, 12}, {13, 5}));
        break;
    case Glyph::Plus:
        painter.drawRect(QRectF(3, 7, 10, 2));
        painter.drawRect(QRectF(7, 3, 2, 10));
        break;
    case Glyph::Minus:
        painter.drawRect(QRectF(3, 7, 10, 2));
        break;
    case Glyph::LeftEnd:
        painter.drawRect(QRectF(3, 3, 2, 10));
        painter.drawPolygon(triangle({12, 3}, {6, 8}, {12, 13}));
        break;
    case Glyph::RightEnd:
        painter.drawRect(QRectF(11, 3, 2, 10));
        painter.drawPolygon(triangle({4, 3}, {10, 8}, {4, 13}));
        break;
    case Glyph::Dot:
        painter.drawEllipse(QPointF(8, 8), 3.5, 3.5);
        break;
    }
}

} // namespace

QIcon glyphIcon(Glyph glyph)
{
    const QColor ink = QGuiApplication::palette().color(QPalette::ButtonText);
    QIcon icon;
    // Two sizes so that a larger button does not show a blurred picture;
    // QIcon derives the disabled look itself.
    for (int size : {kGrid, 2 * kGrid}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.scale(double(size) / kGrid, double(size) / kGrid);
        drawGlyph(painter, glyph);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void setPicture(QAbstractButton* button, Glyph glyph, const QString& accessibleName)
{
    button->setText(QString());
    button->setIcon(glyphIcon(glyph));
    button->setAccessibleName(accessibleName);
    button->setToolTip(accessibleName);
}

QPushButton* makePictureButton(const QString& objectName, Glyph glyph,
                               const QString& accessibleName, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(objectName);
    setPicture(button, glyph, accessibleName);
    return button;
}

HoldButton::HoldButton(QWidget* parent) : QPushButton(parent)
{
    // Without focus the space bar cannot reach it, and a dialog's Enter
    // never makes it the default button.
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
}

HoldButton::HoldButton(const QString& objectName, Glyph glyph, const QString& accessibleName,
                       QWidget* parent)
    : HoldButton(parent)
{
    setObjectName(objectName);
    setPicture(this, glyph, accessibleName);
}

bool HoldButton::event(QEvent* event)
{
    // A modal window has opened: the window system still sends the release
    // here, but Qt drops it for a blocked window. Another window made active
    // has the mouse from now on.
    if (event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowDeactivate)
        endHold();
    return QPushButton::event(event);
}

void HoldButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        endHold();
    QPushButton::changeEvent(event);
}

void HoldButton::hideEvent(QHideEvent* event)
{
    endHold();
    QPushButton::hideEvent(event);
}

void HoldButton::mousePressEvent(QMouseEvent* event)
{
    // QPushButton only looks pressed for the left button; the others are
    // shown down by hand.
    if (event->button() == Qt::LeftButton)
        QPushButton::mousePressEvent(event);
    else
        setDown(true);
    event->accept();
    // The first button down starts the movement; a second one pressed
    // meanwhile adds nothing, nor does a press while a button whose hold was
    // lost is still down.
    if (event->buttons() == event->button()) {
        m_holding = true;
        // While the hold lasts, a mouse event that goes to another widget
        // means the mouse is no longer ours (a popup or a grab took it).
        qApp->installEventFilter(this);
        Q_EMIT held();
    }
}

void HoldButton::mouseMoveEvent(QMouseEvent* event)
{
    QPushButton::mouseMoveEvent(event);
    // Taken, so that no move of a hold travels on to the frame beneath.
    if (m_holding)
        event->accept();
}

void HoldButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        QPushButton::mouseReleaseEvent(event);
    else if (!(event->buttons() & Qt::LeftButton))
        setDown(false);
    // QPushButton ignores a release away from the button; it is ours all
    // the same, since the movement must stop.
    event->accept();
    if (event->buttons() == Qt::NoButton)
        endHold();
}

bool HoldButton::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        if (watched != this && watched->isWidgetType())
            endHold();
        break;
    case QEvent::Show:
        // A popup takes the mouse as it opens, before any event reaches it.
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->windowType() == Qt::Popup)
            endHold();
        break;
    default:
        break;
    }
    return false;
}

void HoldButton::endHold()
{
    if (!m_holding)
        return;
    m_holding = false;
    qApp->removeEventFilter(this);
    setDown(false);
    Q_EMIT releasedHold();
}

} // namespace peltro
