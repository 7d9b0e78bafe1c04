#pragma once

#include "save_job.h"
#include "traffic_session.h"

#include <QPointer>

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace peltro {

class FrmMain;

// "Decoded Traffic": every packet of the session, one row each, as it
// crosses the line, and every control-surface event before the packets it
// caused, narrowed to one camera and one kind of row if the operator wants.
// Not modal; the session is recorded whether it is open or not. The session
// keeps only its newest rows; the window says how many older ones went.
class FrmTraffic final : public QWidget {
    Q_OBJECT
public:
    FrmTraffic(FrmMain& main, traffic::Session& session);

    QComboBox* cameraFilter = nullptr;   // TrafficCamera: "All", "1" .. "7"
    QComboBox* kindFilter = nullptr;     // TrafficKind: the categories
    QCheckBox* follow = nullptr;         // TrafficFollow: keep the newest row in view
    QLabel* count = nullptr;             // TrafficCount
    QLabel* dropped = nullptr;           // TrafficDropped: hidden while none was dropped
    QPushButton* save = nullptr;         // TrafficSave
    QTableView* list = nullptr;          // TrafficList

    traffic::Filter& filter() { return m_filter; }

    // Starts writing the whole session (whatever the filters show) to path,
    // in steps between the window's events, with a progress dialog
    // (TrafficSaveProgress) whose Cancel leaves nothing under path. A file
    // that cannot be written is reported to the operator. None while another
    // save runs.
    traffic::SaveJob* saveTo(const QString& path);
    traffic::SaveJob* saving() const { return m_saving; }

private:
    void askWhereToSave();
    void showCount();
    void showDropped();

    FrmMain& m_main;
    traffic::Session& m_session;
    traffic::Filter m_filter;
    QPointer<traffic::SaveJob> m_saving;
    int m_leavingView = 0;   // rows about to fall off the top of the list
};

// The Tools menu's "Decoded Traffic..." opens the window (or brings it up).
void installTrafficView(FrmMain& main, traffic::Session& session);
FrmTraffic* openTrafficView(FrmMain& main, traffic::Session& session);

} // namespace peltro
