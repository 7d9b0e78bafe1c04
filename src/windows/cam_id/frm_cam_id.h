#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace peltro {

struct WindowContext;

// "Camera ID Write": writes a 16-bit camera ID (the main window shows it in
// its CameraIDText).
class FrmCamID final : public QDialog {
    Q_OBJECT
public:
    explicit FrmCamID(WindowContext& context);

    QLabel* label = nullptr;
    QLineEdit* id = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;

Q_SIGNALS:
    void idWritten(int id);

private:
    void onOk();

    WindowContext& m_ctx;
};

} // namespace peltro
