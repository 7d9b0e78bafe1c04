#pragma once

#include <QDateTime>
#include <QDialog>
#include <array>

class QLineEdit;
class QPushButton;

namespace peltro {

struct WindowContext;
class UpDown;

// "Set Time & Date": year, month, day, hour and minute, each a box with its
// spinner, sent to the camera's clock on OK.
class FrmSetDT final : public QDialog {
    Q_OBJECT
public:
    explicit FrmSetDT(WindowContext& context);

    std::array<QLineEdit*, 5> boxes{};     // Year, Month, Day, Hour, Minute
    std::array<UpDown*, 5> spinners{};     // UpDown1..UpDown5
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;

    // The boxes take the given date and time, two digits each.
    void fill(const QDateTime& now);

private:
    void onOk();

    WindowContext& m_ctx;
};

} // namespace peltro
