#pragma once

#include <QSlider>

namespace peltro {

// A horizontal slider that tells the operator's movements apart from the
// program's. userMoved() fires for every position the operator gives the
// thumb - each step of a drag, a click on the groove, the wheel, the
// keyboard - and never for setValue()/setRange()/setMaximum(), so a status
// read can move the slider without anything being sent. The program moves
// it with setValue() only: setSliderPosition() counts as a thumb movement.
//
// userMoved() comes after every valueChanged() slot has run and carries the
// settled value, so a slot that keeps the slider below a limit through
// valueChanged() is obeyed before anything reads the position.
//
// Mouse press and release are signals of their own, for any button, whether
// or not the thumb moves; mousePressed() comes before a press moves the
// thumb and mouseReleased() after the release has put it in place.
class ValueSlider : public QSlider {
    Q_OBJECT
public:
    explicit ValueSlider(QWidget* parent = nullptr);

    // Where the thumb's centre is with the slider at value, in the slider's
    // own coordinates: the point a mouse drag to that value goes through.
    QPoint thumbCentre(int value) const;

Q_SIGNALS:
    void userMoved(int value);
    void mousePressed();
    void mouseReleased();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyAction();
};

} // namespace peltro
