#pragma once

#include "traffic_log.h"

#include <QPlainTextEdit>

namespace peltro {

// A read-only traffic box: shows one history of the traffic log, with the
// caret at the end so the newest line is in view.
class TrafficText final : public QPlainTextEdit {
    Q_OBJECT
public:
    TrafficText(TrafficLog& log, TrafficLog::Box box, QWidget* parent = nullptr);

    // The exact text the box shows (CR LF line ends included).
    const QString& text() const { return m_log.text(m_box); }

private:
    void refresh();

    TrafficLog& m_log;
    TrafficLog::Box m_box;
};

} // namespace peltro
