#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

namespace peltro {

class FrmMain;

// The Camera and Select menus' care of the chain itself: interface clear for
// one camera or all, address assignment, camera selection and power.
class Maintenance final : public QObject {
    Q_OBJECT
public:
    explicit Maintenance(FrmMain& main, QObject* parent = nullptr);

    // How long a broadcast has to come back around the chain.
    static constexpr int kBroadcastWaitMs = 1000;

    void IFClear();
    // The menu's I/F Clear(broadcast): the operator is told when the
    // broadcast does not come back in time.
    void IFClearB();
    // The same broadcast, for a caller that waits for its return itself.
    void sendIFClearB();
    // True when the chain answered; otherwise nothing changes and the
    // operator has been told (unless nothing was sent).
    bool AddressSet();
    void CameraSel(int index);
    void Power();

private:
    void clearNotBack();

    FrmMain& m;
    QTimer m_clearWatch;
    QByteArray m_clearSeen;   // what came in since the broadcast went out
    QMetaObject::Connection m_clearReceived;
};

} // namespace peltro
