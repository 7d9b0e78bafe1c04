#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace peltro::twips {

// Window geometry is kept in twips (1/1440 inch): 15 twips per pixel at
// 96 dpi, scaled by the screen's logical dpi.
double perPixel();
int toPixels(double twips);
double fromPixels(int pixels);
// A rectangle given in twips, in pixels: for setGeometry().
QRect toRect(double left, double top, double width, double height);

// Places a widget within its parent, all four values in twips.
void place(QWidget* widget, double left, double top, double width, double height);

} // namespace peltro::twips
