#pragma once

#include "privacy_packets.h"

#include "job.h"

#include <QWidget>
#include <array>

class QLineEdit;
class QPushButton;
class QTimer;

namespace peltro {

struct WindowContext;

// The 16 x 12 grid the six zones are laid on, with its axes 0..F and 0..B:
// a reference for the operator, drawn.
class ZoneGrid final : public QWidget {
    Q_OBJECT
public:
    explicit ZoneGrid(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// "PrivacyZone Setting" for cameras with six zones on a 16 x 12 grid. The
// three sets (two zones each) go out on demand or, once SettingMode has
// switched it on, once per second on its Timer2 (stopped when the window
// opens). Sets go out as operator commands of the main window; privacy on,
// off and clear as commands of the window's own.
class FrmPrivacyA final : public QWidget, public JobOwner {
    Q_OBJECT
public:
    static constexpr int kAutoInterval = 1000;   // ms between automatic runs
    static constexpr double kWaitAuto = 0.05;    // seconds between the sets of one run

    explicit FrmPrivacyA(WindowContext& context);

    QTimer* timer2() const { return m_timer2; }

    // "Privacy Set s+1": zones 2s+1 and 2s+2. A zone text that is not a
    // hexadecimal number from 0 to FE refuses the set, with a word to the
    // operator (one notice at a time, so the automatic run cannot pile them).
    void cmdPZMset(int set);
    // The three sets in a row with a short pause between them.
    // The three sets of zones, a short pause between them; a run that is
    // still going when the next is due lets that one pass.
    void PrivacySet();
    // First click: Timer2 runs, caption "ON"; next: stopped, "OFF"; and so on.
    void SettingMode();
    void CmdPrivacyOn();
    void CmdPrivacyoff();
    void CmdClear();

private:
    void SD(const Packet& packet);

    WindowContext& m_ctx;
    std::array<QLineEdit*, 4 * privacy::kZoneCount> m_zones{};
    QPushButton* m_settingMode = nullptr;
    QTimer* m_timer2 = nullptr;
    Job privacySetRun();
    bool m_setRunning = false;
    bool m_noticeOpen = false;
};

} // namespace peltro
