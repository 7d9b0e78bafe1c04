#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace peltro {

struct WindowContext;
class UpDown;

// "Digital Effect Level": the level of the digital picture effect, a box
// with its spinner (0..32) and OK / Cancel.
class FrmDeffect final : public QDialog {
    Q_OBJECT
public:
    explicit FrmDeffect(WindowContext& context);

    QLineEdit* deLevel = nullptr;
    UpDown* upDown1 = nullptr;
    QPushButton* deLevelOK = nullptr;
    QPushButton* deLevelCancel = nullptr;

    // The box shows level and counts as untouched by the operator.
    void fill(int level);
    // The camera's level as a status read found it: shown unless the
    // operator has changed the box since it was last filled.
    void showCameraLevel(int level);

Q_SIGNALS:
    // The level went out to the camera.
    void levelSent(int level);

private:
    void onOk();

    WindowContext& m_ctx;
    bool m_filling = false;
    bool m_edited = false;
};

} // namespace peltro
