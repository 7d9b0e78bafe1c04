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

struct WindowContext;

// "Decoded Traffic": every packet of the session, one row each, as it
// crosses the line, and every control-surface event before the packets it
// caused, narrowed to one camera and one kind of row if the operator wants.
// Not modal; the session is recorded whether it is open or not. The session
// keeps only its newest rows; the window says how many older ones went.
class FrmTraffic final : public QWidget {
    Q_OBJECT
public:
    FrmTraffic(WindowContext& context, traffic::Session& session);

    // The smallest size it is placed at beside the main window: enough for
    // the filters and a dozen rows.
    static constexpr QSize kLeastSize{420, 260};

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

    WindowContext& m_ctx;
    traffic::Session& m_session;
    traffic::Filter m_filter;
    QPointer<traffic::SaveJob> m_saving;
    int m_leavingView = 0;   // rows about to fall off the top of the list
};

// Where the window's frame goes, as large as wanted where the screen has
// room: beside the main window's frame (the roomier side where both have at
// least the least size), else below it, else over it below its menu bar
// (whose last row on the screen is menuBottom). Always within area.
QRect trafficPlace(const QRect& mainFrame, int menuBottom, const QSize& wanted, const QSize& least,
                   const QRect& area);

// The Tools menu's "Decoded Traffic..." opens the window (or brings it up).
FrmTraffic* openTrafficView(WindowContext& context, traffic::Session& session);

} // namespace peltro
