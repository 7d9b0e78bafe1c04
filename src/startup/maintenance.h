#pragma once

#include <QObject>

namespace peltro {

class FrmMain;

// The Camera and Select menus' care of the chain itself: interface clear for
// one camera or all, address assignment, camera selection and power.
class Maintenance final : public QObject {
    Q_OBJECT
public:
    explicit Maintenance(FrmMain& main, QObject* parent = nullptr);

    void IFClear();
    void IFClearB();
    void AddressSet();
    void CameraSel(int index);
    void Power();

private:
    FrmMain& m;
};

} // namespace peltro
