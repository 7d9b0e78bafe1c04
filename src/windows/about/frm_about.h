#pragma once

#include "job.h"
#include "service_info.h"
#include "window_support.h"

#include <QDialog>
#include <QElapsedTimer>
#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;

namespace peltro {

struct WindowContext;

// "Version Information": the program's own version, and the way to the
// camera's facts ("more Info.").
class FrmAbout final : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(WindowContext& context);

    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblSyouhyou = nullptr;
    QLabel* lblTyosakukenn = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* more = nullptr;

private:
    WindowContext& m_ctx;
};

// "more Infomation": the addressed camera's ROM version, and for the
// pan/tilt models that keep them, its date of manufacture and how often its
// camera block was remodelled, read in the camera's service mode while the
// window is on screen. No status read runs while it is open, and it cannot
// be closed before the camera has been read.
class Frmmoreinfo final : public QDialog, public JobOwner {
    Q_OBJECT
public:
    // Holds auto refresh and the docking check from here to the closing.
    Frmmoreinfo(WindowContext& context, QWidget* owner, HoldKind hold = HoldKind::TimersOnly);

    // Shows the window and reads the camera, one command after another.
    void start();
    bool reading() const;

    QGroupBox* frame1 = nullptr;
    QLabel* lblRomVer = nullptr;
    QLabel* lblDate = nullptr;
    QLabel* lblRemodel = nullptr;
    QPushButton* okButton = nullptr;

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Job read();
    void showFacts();
    void finishReading();

    WindowContext& m_ctx;
    WindowHold m_hold;
    std::unique_ptr<service::ServiceSequence> m_sequence;
};

// The main window's "Version" item opens FrmAbout.
void openVersionWindow(WindowContext& context, QPoint placement);

} // namespace peltro
