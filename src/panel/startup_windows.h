#pragma once

#include "port_object.h"

#include <QDialog>
#include <QWidget>
#include <functional>

class QButtonGroup;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace peltro {

// "Information": the progress window of start-up.
class FrmInfo final : public QWidget {
    Q_OBJECT
public:
    explicit FrmInfo(QWidget* parent = nullptr);

    QLabel* lbTitle = nullptr;
    QLabel* lbSubtitle = nullptr;
    QProgressBar* progressBar1 = nullptr;

    void setSubtitle(const QString& text);
    void advance();                 // one step; beyond 100 nothing happens
    void setProgress(int value);
    void repaintNow();

    // Shows the window on top; the event loop draws it.
    void showNow();
};

// "Com Setting": where the operator picks port and speed after a failed
// interface check. Beside the Com list, a table says what each Com opens and
// what is known of it (stable name, adapter, maker, serial number, why it
// does not open), so that an operator with several adapters can tell them
// apart.
class FrmOpen final : public QWidget {
    Q_OBJECT
public:
    // describe tells what a Com number (1..6) opens and what is known of it.
    explicit FrmOpen(std::function<ComDescription(int)> describe, QWidget* parent = nullptr);

    // Opened from the Tools menu once the panel runs: a Cancel button, the
    // port and speed in use chosen to begin with.
    void offerCancel(int comPort, int baudRate);
    QPushButton* cancel = nullptr;

    QComboBox* comList1 = nullptr;
    QRadioButton* obRate[2] = {nullptr, nullptr};
    QPushButton* command1 = nullptr;
    QLabel* lblDBG0 = nullptr;
    QLabel* lblRetry = nullptr;     // the countdown to trying the port again
    QLabel* lblDevice = nullptr;
    QTreeWidget* comDevices = nullptr;  // one row per Com

    enum Column { ColCom, ColDevice, ColStableName, ColAdapter, ColMaker, ColSerial, ColProblem, ColumnCount };
    // Reads the descriptions again (after a failed open, for instance).
    void refreshDevices();

    int selectedPort() const;       // 1..6
    QString selectedSpeed() const;  // "9600" or "38400"

Q_SIGNALS:
    void confirmed();
    void closedWithoutOk();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showDevice();

    std::function<ComDescription(int)> m_describe;
    bool m_confirming = false;
};

} // namespace peltro
