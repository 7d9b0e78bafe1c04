#include "tick_action.h"

#include <QSignalBlocker>

namespace peltro {

TickAction::TickAction(const QString& text, QObject* parent) : QAction(text, parent)
{
    setCheckable(true);
    connect(this, &QAction::triggered, this, [this](bool checked) {
        {
            const QSignalBlocker block(this);
            setChecked(!checked);
        }
        Q_EMIT clicked();
    });
}

} // namespace peltro
