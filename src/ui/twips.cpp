#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace peltro::twips {

double perPixel()
{
    double dpi = 96.0;
    if (QGuiApplication::primaryScreen())
        dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
    if (dpi <= 0)
        dpi = 96.0;
    return 1440.0 / dpi;
}

int toPixels(double twips)
{
    return static_cast<int>(std::lround(twips / perPixel()));
}

double fromPixels(int pixels)
{
    return pixels * perPixel();
}

QRect toRect(double left, double top, double width, double height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

void place(QWidget* widget, double left, double top, double width, double height)
{
    widget->setGeometry(toRect(left, top, width, height));
}

} // namespace peltro::twips
