#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace peltro {

class FrmMain;

// "Camera ID Write": writes a 16-bit camera ID and shows it in the main
// window's CameraIDText.
class FrmCamID final : public QDialog {
    Q_OBJECT
public:
    explicit FrmCamID(FrmMain& main);

    QLabel* label = nullptr;
    QLineEdit* id = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;

Q_SIGNALS:
    void idWritten(int id);

private:
    void onOk();

    FrmMain& m;
};

} // namespace peltro
