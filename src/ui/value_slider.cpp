#include "value_slider.h"

#include <QStyle>
#include <QStyleOptionSlider>

#include <QMouseEvent>

namespace peltro {

ValueSlider::ValueSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    // Every operator movement (drag with tracking, groove click, wheel, key)
    // goes through triggerAction(), which emits actionTriggered() with the
    // new position set but not yet applied. The program's setValue() and
    // range changes never pass there.
    connect(this, &QAbstractSlider::actionTriggered, this, &ValueSlider::applyAction);
}

void ValueSlider::applyAction()
{
    // Applying the position here, instead of waiting for triggerAction() to
    // do it, lets the valueChanged() slots run first; the value they leave
    // is the one reported. An action that moves nothing (an arrow key at the
    // end) reports nothing.
    const int before = value();
    setValue(sliderPosition());
    if (value() != before)
        Q_EMIT userMoved(value());
}

void ValueSlider::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT mousePressed();
    QSlider::mousePressEvent(event);
    // QSlider ignores the buttons it does not use, which would pass the
    // press on to the frame behind; the press is the slider's all the same.
    event->accept();
}

void ValueSlider::mouseReleaseEvent(QMouseEvent* event)
{
    QSlider::mouseReleaseEvent(event);
    event->accept();
    Q_EMIT mouseReleased();
}

QPoint ValueSlider::thumbCentre(int value) const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    opt.sliderPosition = opt.sliderValue = value;
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this).center();
}

} // namespace peltro
