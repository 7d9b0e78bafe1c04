#pragma once

#include <QAction>

namespace peltro {

// A menu item with a check mark that only its handler changes. A plain
// checkable QAction toggles itself before any handler runs, so a refused
// command would leave a changed tick; this one puts the tick back first and
// then emits clicked(), and the handler reads and sets the tick itself.
class TickAction final : public QAction {
    Q_OBJECT
public:
    TickAction(const QString& text, QObject* parent);

Q_SIGNALS:
    void clicked();
};

} // namespace peltro
