#pragma once

#include <QWidget>
#include <array>

class QGroupBox;
class QLabel;
class QPushButton;

namespace peltro {

class SpeedText;
class UpDown;

// "Pan/Tilt": the direction pad of a pan/tilt head, its two speed boxes, the
// three buttons that place the window, and (in the large size) the frame of
// labels the status read fills in. A tool window owned by the main window, so
// that it can stay above it; the controller decides where it goes.
class FrmPanTilt final : public QWidget {
    Q_OBJECT
public:
    // Widths of the two sizes and the fixed height, in twips, frame included.
    static constexpr double kSmallWidth = 8955;
    static constexpr double kLargeWidth = 11865;
    static constexpr double kHeight = 3945;

    static constexpr int kStopCount = 9;     // Stop and the eight speed-controlled directions
    static constexpr int kDirectCount = 10;  // eight full-speed directions, Home, Reset

    explicit FrmPanTilt(QWidget* owner);

    // Information frame (large size only)
    QGroupBox* fmInfo = nullptr;
    QGroupBox* fmPTStatuw = nullptr;
    QLabel* lbPTS = nullptr;
    QGroupBox* fmMaxSpeed = nullptr;
    QGroupBox* fmMTS = nullptr;
    QLabel* lbMTS = nullptr;
    QGroupBox* fmMPS = nullptr;
    QLabel* lbMPS = nullptr;
    QGroupBox* fmTiltPos = nullptr;
    QLabel* lbTiltPos = nullptr;
    QGroupBox* fmPanPos = nullptr;
    QLabel* lbPanPos = nullptr;

    // Window buttons
    QGroupBox* fmPTWindowS = nullptr;
    QPushButton* ptwCloseS = nullptr;
    QPushButton* ptwDockingS = nullptr;
    QPushButton* ptwSizeS = nullptr;

    // Speeds
    QGroupBox* fmTiltSpeed = nullptr;
    SpeedText* tiltSpeed = nullptr;
    UpDown* tsUpDown = nullptr;
    QGroupBox* fmPanSpeed = nullptr;
    SpeedText* panSpeed = nullptr;
    UpDown* psUpDown = nullptr;

    // Direction pad
    QGroupBox* fmPanTilt = nullptr;
    std::array<QPushButton*, kStopCount> panTiltStop{};
    std::array<QPushButton*, kDirectCount> panTiltDirect{};

    QLabel* lbMount = nullptr;

    // The client size that makes the whole window, frame included, the given
    // width in twips and the fixed height.
    QSize clientSizeFor(double widthTwips) const;

Q_SIGNALS:
    // The window system's close control was used (or the window was told to
    // close): the window unloads.
    void unloading();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void place(QWidget* w, double left, double top, double width, double height);
    QGroupBox* frame(QWidget* parent, const QString& name, const QString& caption, double left,
                     double top, double width, double height);
    QLabel* valueLabel(QGroupBox* parent, const QString& name, const QString& text);
    void buildInformation();
    void buildWindowButtons();
    void buildSpeeds();
    void buildPad();
};

} // namespace peltro
