#pragma once

#include "privacy_packets.h"
#include "traffic_log.h"

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

namespace peltro {

struct WindowContext;
class OptionGroup;
class TrafficText;

// A box for hexadecimal digits: typed 0-9 and A-F pass, a-f are made upper
// case, every other character is dropped. Editing keys work as usual.
class HexDigitEdit final : public QLineEdit {
    Q_OBJECT
public:
    HexDigitEdit(const QString& text, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A row of mask letters, each drawn centred over its check box below; the
// text is the row's caption as given, blanks and all.
class LetterRow final : public QLabel {
    Q_OBJECT
public:
    LetterRow(const QString& text, QWidget* parent = nullptr);
    void setCentres(const QList<int>& centres);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<int> m_centres;
};

// Two rows of twelve check boxes for the masks A..L and M..X under their
// rows of letters.
class MaskChecks final : public QWidget {
    Q_OBJECT
public:
    // The boxes are named prefix_0 .. prefix_23.
    MaskChecks(const QString& prefix, QWidget* parent = nullptr);

    privacy::MaskSet masks() const;
    QCheckBox* box(int mask) const { return m_boxes[mask]; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    int pitch() const;
    void placeBoxes();

    std::array<LetterRow*, 2> m_letters{};
    std::array<QCheckBox*, privacy::kMaskCount> m_boxes{};
};

// "PrivacyZone Setting" for cameras with 24 masks: one mask's rectangle,
// which masks show, mask colours, the positioning grid and the three
// pan-tilt mask commands. It sends to the addressed camera as an operator
// command of its own and keeps its own log of what it sent.
class FrmPrivacy final : public QWidget {
    Q_OBJECT
public:
    explicit FrmPrivacy(WindowContext& context);

    // What "Setting Zones" does to a loaded window: every list back to its
    // first entry.
    void selectFirstEntries();

    // Command handlers.
    void CmdPrivacySet();
    void cmdPrivacyDisp();
    void cmdPrivacyColor();
    void CmdGridOn();
    void cmdGridoff();
    void cmdPZMpantilt();
    void cmdMovePanTilt();
    void Command1();
    void ClrSET();

private:
    QGroupBox* buildMaskSet();
    QGroupBox* buildDisplay();
    QGroupBox* buildColour();
    QGroupBox* buildPanTiltAngle();
    QGroupBox* buildMovePanTilt();
    QGroupBox* buildSetPtz();

    // The digits of a field, or a refusal told to the operator.
    std::optional<QList<int>> digits(const QString& frame, const QString& field, const QLineEdit* box,
                                     int count);
    void refuse(const QString& text);
    // Sends one packet; what went out is logged in the window's own box.
    void SD(const Packet& packet);

    WindowContext& m_ctx;
    TrafficLog m_log;

    QComboBox* m_combSetPrivacy = nullptr;
    QCheckBox* m_new = nullptr;
    std::array<QLineEdit*, 4> m_zones{};
    MaskChecks* m_display = nullptr;
    MaskChecks* m_colourMasks = nullptr;
    std::array<QComboBox*, 2> m_colour{};
    QCheckBox* m_half1 = nullptr;
    QCheckBox* m_half2 = nullptr;
    QLineEdit* m_textPan = nullptr;
    QLineEdit* m_textTilt = nullptr;
    QLineEdit* m_textMovePan = nullptr;
    QLineEdit* m_textMoveTilt = nullptr;
    OptionGroup* m_opmove = nullptr;
    QComboBox* m_comboSetPtz = nullptr;
    QLineEdit* m_ptzPan = nullptr;
    QLineEdit* m_ptzTilt = nullptr;
    QLineEdit* m_ptzZoom = nullptr;
    TrafficText* m_logBox = nullptr;
};

} // namespace peltro
