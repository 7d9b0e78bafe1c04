#pragma once

#include "title_codes.h"

#include <QDialog>
#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace peltro {

class UpDown;

// What the two title editors share: the position boxes with their
// spinners, the colour and blink lists, the title display switch and the
// OK, Cancel and Clear buttons. Each editor gives the codes it sends and
// what Clear empties.
class TitleWindow : public QDialog {
    Q_OBJECT
public:
    // The codes of title characters 1..20 as they are to be sent.
    virtual std::array<int, title::kLength> codesToSend() = 0;
    // After the camera's title was cleared: the editor's own title too.
    virtual void clearTitle() = 0;

    QLineEdit* verticalBox() const { return m_vertical; }
    QLineEdit* horizontalBox() const { return m_horizontal; }
    QComboBox* colourList() const { return m_colour; }
    QComboBox* blinkList() const { return m_blink; }
    QCheckBox* displaySwitch() const { return m_display; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* switchButton() const { return m_switch; }

Q_SIGNALS:
    // The window is closing (Cancel, the window's close control, Escape).
    void closing();

protected:
    // name: objectName of the window; the boxes, spinners and lists are
    // named as each editor names them.
    struct Names {
        const char* window;
        const char* caption;
        const char* horizontal;
        const char* horizontalLabel;
        int horizontalMax;
        const char* vertical;
        const char* colour;
        const char* blink;
        const char* switchButton;
        const char* switchCaption;
    };
    TitleWindow(QWidget* owner, const Names& names);

    void done(int result) override;

    QWidget* positionRow();      // both positions with their labels and spinners
    QWidget* lookRow();          // colour, blink and the title display switch
    QWidget* buttonRow();        // OK, Cancel, Clear and the switch to the other editor

private:
    QLineEdit* m_horizontal = nullptr;
    UpDown* m_horizontalUpDown = nullptr;
    QString m_horizontalLabel;
    QLineEdit* m_vertical = nullptr;
    UpDown* m_verticalUpDown = nullptr;
    QComboBox* m_colour = nullptr;
    QComboBox* m_blink = nullptr;
    QCheckBox* m_display = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_switch = nullptr;
    bool m_closed = false;
};

} // namespace peltro
