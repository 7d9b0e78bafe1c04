#include "caption_fit.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <cmath>

namespace peltro {

namespace {

int widthIn(const QFont& font, QString text)
{
    text.remove(QLatin1Char('&'));
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

} // namespace

int captionRoom(const QAbstractButton* button)
{
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    if (!button->icon().isNull()) {
        opt.icon = button->icon();
        opt.iconSize = button->iconSize();
    }
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(button)) {
        contents = QStyle::SE_CheckBoxContents;
    } else if (qobject_cast<const QRadioButton*>(button)) {
        contents = QStyle::SE_RadioButtonContents;
    } else if (const auto* push = qobject_cast<const QPushButton*>(button)) {
        if (push->isDefault())
            opt.features |= QStyleOptionButton::DefaultButton;
        if (push->autoDefault())
            opt.features |= QStyleOptionButton::AutoDefaultButton;
    }
    int room = button->style()->subElementRect(contents, &opt, button).width();
    // A push button's caption keeps half the style's margin clear of its
    // edges: touching them it reads as cut.
    if (contents == QStyle::SE_PushButtonContents)
        room -= button->style()->pixelMetric(QStyle::PM_ButtonMargin, &opt, button) / 2;
    return room;
}

int captionWidth(const QAbstractButton* button)
{
    return widthIn(button->font(), button->text());
}

void fitCaption(QAbstractButton* button)
{
    if (!button || button->text().isEmpty())
        return;
    const int room = captionRoom(button);
    QFont font = button->font();
    if (widthIn(font, button->text()) <= room)
        return;
    const bool points = font.pointSizeF() > 0;
    const double from = points ? font.pointSizeF() : font.pixelSize();
    const double step = points ? 0.5 : 1.0;
    for (double size = from - step; size >= 0.75 * from; size -= step) {
        if (points)
            font.setPointSizeF(size);
        else
            font.setPixelSize(int(size));
        if (widthIn(font, button->text()) <= room)
            break;
    }
    button->setFont(font);
}

void fitCaptions(QWidget* root)
{
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
        fitCaption(b);
}

} // namespace peltro
