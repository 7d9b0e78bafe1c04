// The control frames of the main window: every value group, mode button,
// check box and option-button array, with its name, caption, range and
// designed state. Geometry is in twips on the window's canvas; handlers are
// connected by the control groups that own them.
#include "frm_main.h"

#include "hold_button.h"
#include "main_layout.h"
#include "option_button.h"
#include "speed_box.h"
#include "value_slider.h"
#include "value_table.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace peltro {

namespace {

constexpr double kRowHeight = 315;    // one line of controls
constexpr double kButton = 345;       // square picture buttons

class Builder {
public:
    Builder(FrmMain& main, QWidget* frame) : m(main), f(frame) {}

    template <typename W> W* place(W* w, const QString& name, double l, double t, double wd, double h)
    {
        w->setObjectName(name);
        m.placeTwips(w, l, t, wd, h);
        return w;
    }
    QLabel* label(const QString& name, const QString& text, double l, double t, double w)
    {
        return place(new QLabel(text, f), name, l, t, w, 255);
    }
    QLineEdit* valueBox(const QString& name, double l, double t, double w = 900)
    {
        auto* e = place(new QLineEdit(f), name, l, t, w, kRowHeight);
        e->setReadOnly(true);
        return e;
    }
    ValueSlider* slider(const QString& name, int min, int max, double l, double t, double w)
    {
        auto* s = place(new ValueSlider(f), name, l, t, w, kRowHeight);
        s->setRange(min, max);
        s->setPageStep(qMax(1, (max - min) / 16));
        return s;
    }
    QPushButton* step(const QString& name, Glyph arrow, const QString& accessible, double l, double t)
    {
        return place(makePictureButton(name, arrow, accessible, f), name, l, t, kButton, kButton);
    }
    HoldButton* hold(const QString& name, Glyph arrow, const QString& accessible, double l, double t)
    {
        auto* b = place(new HoldButton(f), name, l, t, kButton, kButton);
        setPicture(b, arrow, accessible);
        return b;
    }
    QPushButton* button(const QString& name, const QString& caption, double l, double t, double w)
    {
        return place(new QPushButton(caption, f), name, l, t, w, kButton);
    }
    QCheckBox* check(const QString& name, const QString& caption, double l, double t, double w)
    {
        return place(new QCheckBox(caption, f), name, l, t, w, 255);
    }
    // A speed box with its spinner: digit 0..7, designed "4".
    void speed(const QString& box, const QString& spinner, double l, double t)
    {
        auto* text = place(new SpeedText(f), box, l, t, 360, kRowHeight);
        text->setText(QStringLiteral("4"));
        auto* up = place(new UpDown(f), spinner, l + 360, t, 240, kRowHeight);
        up->setRange(0, 7);
        up->setBuddy(text);
    }
    QFrame* line(const QString& name, double l, double t, double w)
    {
        auto* ln = place(new QFrame(f), name, l, t, w, 30);
        ln->setFrameShape(QFrame::HLine);
        ln->setFrameShadow(QFrame::Sunken);
        return ln;
    }

    FrmMain& m;
    QWidget* f;
};

QGroupBox* frame(FrmMain& main, const QString& name, const QString& caption, const layout::Rect& r)
{
    auto* g = new QGroupBox(caption, main.canvas());
    g->setObjectName(name);
    main.placeTwips(g, r.left, r.top, r.width, r.height);
    return g;
}

// Every slider, value box, step button and hold button of the value
// tables, in its frame.
void buildValueControls(FrmMain& main)
{
    auto frameOf = [&main](const Place& p) { return main.control<QWidget>(QString::fromLatin1(p.frame)); };
    for (const SliderDef& def : sliderDefs()) {
        Builder b(main, frameOf(def.place));
        b.slider(QString::fromLatin1(def.name), def.min, def.max, def.place.left, def.place.top, def.place.width);
        if (def.valueBox) {
            Builder box(main, frameOf(def.boxPlace));
            box.valueBox(QString::fromLatin1(def.valueBox), def.boxPlace.left, def.boxPlace.top, def.boxPlace.width);
        }
    }
    for (const StepDef& def : stepDefs()) {
        Builder b(main, frameOf(def.place));
        const QString name = QString::fromLatin1(def.name);
        if (def.caption)
            b.button(name, QString::fromLatin1(def.caption), def.place.left, def.place.top, def.place.width);
        else
            b.step(name, def.glyph, QString::fromLatin1(def.text), def.place.left, def.place.top);
    }
    for (const HoldDef& def : holdDefs()) {
        Builder b(main, frameOf(def.place));
        b.hold(QString::fromLatin1(def.name), def.glyph, QString::fromLatin1(def.text), def.place.left,
               def.place.top);
    }
}

} // namespace

void FrmMain::buildFrames()
{
    using namespace layout;

    // Lens control: optical zoom
    {
        QGroupBox* g = frame(*this, QStringLiteral("FmZoom"), QStringLiteral("Lens Control"), kFmZoom);
        Builder b(*this, g);
        const double w = kFmZoom.width;
        b.label(QStringLiteral("LblZoom_0"), QStringLiteral("Zoom"), 120, 240, 900);
        b.step(QStringLiteral("WideT"), Glyph::LeftEnd, QStringLiteral("Wide end"), 120, 480);
        b.step(QStringLiteral("FarT"), Glyph::RightEnd, QStringLiteral("Tele end"), w - 120 - kButton, 480);
        b.speed(QStringLiteral("WideSpeed"), QStringLiteral("UpDown2"), 510, 885);
        b.speed(QStringLiteral("TeleSpeed"), QStringLiteral("UpDown1"), w - 120 - kButton - 660, 885);
        b.check(QStringLiteral("DZoom"), QStringLiteral("D-Zoom"), 960, 240, 1200);
        b.button(QStringLiteral("DZoomMode_0"), QStringLiteral("Combine Mode"), 120, 1230, 1755)->setEnabled(false);
        b.button(QStringLiteral("DZoomMode_1"), QStringLiteral("Separate Mode"), 1965, 1230, 1755);
    }

    // Digital zoom
    {
        QGroupBox* g = frame(*this, QStringLiteral("FmDZoom"), QStringLiteral("Digital Zoom"), kFmDZoom);
        Builder b(*this, g);
        const double w = kFmDZoom.width;
        b.label(QStringLiteral("LblZoom_1"), QStringLiteral("D-Zoom"), 120, 240, 900);
        b.button(QStringLiteral("DZoomX"), QStringLiteral("X1"), 1140, 180, 700)->setEnabled(false);
        b.speed(QStringLiteral("DWideSpeed"), QStringLiteral("UpDown5"), 510, 555);
        b.speed(QStringLiteral("DTeleSpeed"), QStringLiteral("UpDown6"), w - 120 - kButton - 660, 555);
    }

    // Focus
    {
        QGroupBox* g = frame(*this, QStringLiteral("FmFocus"), QStringLiteral("Focus"), kFmFocus);
        Builder b(*this, g);
        const double w = kFmFocus.width;
        b.label(QStringLiteral("LblFocus_0"), QStringLiteral("Focus"), 120, 240, 900);
        b.label(QStringLiteral("LblFocus_1"), QStringLiteral("Far"), 510, 885, 600);
        b.speed(QStringLiteral("FarSpeed"), QStringLiteral("UpDown4"), 510, 1110);
        b.label(QStringLiteral("LblFocus_2"), QStringLiteral("Near"), w - 120 - kButton - 660, 885, 600);
        b.speed(QStringLiteral("NearSpeed"), QStringLiteral("UpDown3"), w - 120 - kButton - 660, 1110);
        b.button(QStringLiteral("AFModeCmd_0"), QStringLiteral("Auto"), 120, 1530, 1000);
        b.button(QStringLiteral("ManAFMode"), QStringLiteral("Manual Focus"), 1170, 1530, 1400);
        b.button(QStringLiteral("AFTrig"), QStringLiteral("OnePushAF"), 120, 1935, 1300);
        b.button(QStringLiteral("Infinity"), QStringLiteral("Infinity"), 1470, 1935, 1100);
        b.label(QStringLiteral("LblFocus_5"), QStringLiteral("AF Sens"), 120, 2385, 900);
        b.check(QStringLiteral("AF_Sens"), QStringLiteral("Norm/Low"), 1080, 2385, 1500);
        b.label(QStringLiteral("LblFocus_4"), QStringLiteral("Near Limit"), 120, 2700, 1200);
        b.line(QStringLiteral("Line3"), 120, 3330, w - 240);
        b.button(QStringLiteral("AFModeCmd_1"), QStringLiteral("Normal"), 120, 3405, 1000);
        b.button(QStringLiteral("AFModeCmd_2"), QStringLiteral("Interval AF"), 1170, 3405, 1200);
        b.button(QStringLiteral("AFModeCmd_3"), QStringLiteral("ZoomTrigger"), 2420, 3405, 1300);
        // The last row keeps clear of the frame's bottom edge.
        b.label(QStringLiteral("LblFocus_6"), QStringLiteral("Active"), 120, 3795, 600);
        auto* act = b.place(new QLineEdit(QStringLiteral("05"), g), QStringLiteral("AFacttime"), 720, 3765, 450, kRowHeight);
        b.label(QStringLiteral("LblFocus_7"), QStringLiteral("Interval"), 1290, 3795, 750);
        auto* itv = b.place(new QLineEdit(QStringLiteral("05"), g), QStringLiteral("AFintTime"), 2040, 3765, 450, kRowHeight);
        for (QLineEdit* e : {act, itv}) {
            e->setMaxLength(2);
            e->setInputMask(QStringLiteral(">HH"));
            e->setText(QStringLiteral("05"));
        }
        b.place(new QPushButton(QStringLiteral("Set"), g), QStringLiteral("ACTAFmodeset"), 2640, 3765, 900, kRowHeight);
    }

    // AE control
    {
        QGroupBox* g = frame(*this, QStringLiteral("FmAEControl"), QStringLiteral("AE Control"), kFmAEControl);
        Builder b(*this, g);
        const double w = kFmAEControl.width;
        // The rows' sliders, buttons and value boxes come from the value table.
        b.label(QStringLiteral("LblAE_0"), QStringLiteral("Iris"), 120, 240, 1500);
        b.label(QStringLiteral("LblAE_3"), QStringLiteral("Gain"), 120, 1020, 1500);
        b.label(QStringLiteral("LblAE_6"), QStringLiteral("Shutter"), 120, 1800, 1500);
        b.check(QStringLiteral("AutoSlowShutter"), QStringLiteral("AutoSlowShutter"), 900, 1800, 1845);
        b.label(QStringLiteral("LblAE_9"), QStringLiteral("Bright"), 120, 2580, 1500);
        b.label(QStringLiteral("LblAE_12"), QStringLiteral("ExpComp"), 120, 3360, 900);
        b.check(QStringLiteral("ExpComp"), QStringLiteral("ExpComp"), 1080, 3360, 1200);
        b.label(QStringLiteral("LblAE_13"), QStringLiteral("Down"), 120, 3990, 600);
        b.label(QStringLiteral("LblAE_14"), QStringLiteral("Up"), w - 120 - kButton, 3990, kButton);
        b.check(QStringLiteral("BackLight"), QStringLiteral("BackLight"), 120, 5160, 1500);
        b.label(QStringLiteral("LblAE_17"), QStringLiteral("Stabilizer"), 1860, 5160, 1000);
        b.button(QStringLiteral("Comstabi"), QString(), 2880, 5100, 900);
        b.line(QStringLiteral("Line8"), 120, 5475, w - 240);
        b.label(QStringLiteral("LblAE_15"), QStringLiteral("Auto ICR Mode"), 120, 5595, 1600);
        b.button(QStringLiteral("CmdAutoICR"), QStringLiteral("OFF"), 1860, 5535, 900);
        b.label(QStringLiteral("LblAE_16"), QStringLiteral("ICR Mode"), 120, 5955, 1600);
        b.button(QStringLiteral("CmdICR_0"), QStringLiteral("ON"), 1860, 5895, 900);
        b.button(QStringLiteral("CmdICR_1"), QStringLiteral("OFF"), 2820, 5895, 900);
    }

    // White balance
    {
        QGroupBox* g = frame(*this, QStringLiteral("FmWB"), QStringLiteral("WhiteBalance "), kFmWB);
        Builder b(*this, g);
        b.label(QStringLiteral("LblWbApVp_0"), QStringLiteral("R-Gain"), 120, 240, 1500);
        b.label(QStringLiteral("LblWbApVp_1"), QStringLiteral("B-Gain"), 120, 930, 1500);
        b.button(QStringLiteral("WBTrigger"), QStringLiteral("One Push Trigger"), 1440, kWBButtonsTop, 2200);
    }

    // Aperture
    {
        QGroupBox* g = frame(*this, QStringLiteral("FmAPC"), QStringLiteral("Aperture Control"), kFmAPC);
        Builder b(*this, g);
        b.label(QStringLiteral("LblWbApVp_2"), QStringLiteral("Aperture"), 1200, 270, 1000);
    }

    // Memories: presets for the pan/tilt cameras, memories for the block cameras
    auto memoryFrame = [this](const QString& name, const QString& caption, const QStringList& arrays,
                              const QString& labels, int firstNumber) {
        QGroupBox* g = frame(*this, name, caption, kFmPreset);
        Builder b(*this, g);
        const QStringList rows{QStringLiteral("Set"), QStringLiteral("Recall"), QStringLiteral("Reset")};
        for (int n = 0; n < 6; ++n)
            b.label(QStringLiteral("%1_%2").arg(labels).arg(3 + n), QString::number(firstNumber + n),
                    1140 + n * 420, 195, 300);
        for (int r = 0; r < 3; ++r) {
            b.label(QStringLiteral("%1_%2").arg(labels).arg(r), rows[r], 120, 420 + r * 270, 1000);
            auto* group = new OptionGroup(g);
            group->setObjectName(arrays[r] + QStringLiteral("Group"));
            for (int n = 0; n < 6; ++n) {
                auto* o = b.place(new OptionButton(g), QStringLiteral("%1_%2").arg(arrays[r]).arg(n),
                                  1080 + n * 420, 420 + r * 270, 300, 255);
                group->addButton(o, n);
            }
        }
        return g;
    };
    // The two share one place; until a pan/tilt camera is identified the
    // block cameras' memories are shown.
    memoryFrame(QStringLiteral("FmPreset"), QStringLiteral("Preset"),
                {QStringLiteral("PresetSet"), QStringLiteral("PresetRecall"), QStringLiteral("PresetReset")},
                QStringLiteral("LblPRS"), 1)
        ->hide();
    {
        QGroupBox* g = memoryFrame(QStringLiteral("FmMemory"), QStringLiteral("Memory"),
                                   {QStringLiteral("SetOption"), QStringLiteral("RecallOption"),
                                    QStringLiteral("ResetOption")},
                                   QStringLiteral("LblMem"), 0);
        Builder b(*this, g);
        b.label(QStringLiteral("LblMem_9"), QStringLiteral("Custom"), 120, 1245, 900);
        const QStringList custom{QStringLiteral("Set"), QStringLiteral("Recall"), QStringLiteral("Reset")};
        for (int i = 0; i < 3; ++i)
            b.place(new QPushButton(custom[i], g), QStringLiteral("CustomMem_%1").arg(i), 1080 + i * 870, 1215,
                    840, 300);
    }

    // V-phase
    {
        QGroupBox* g = frame(*this, QStringLiteral("Frame5"), QStringLiteral("V-Phase"), kFrame5);
        Builder b(*this, g);
        b.label(QStringLiteral("LblWbApVp_3"), QStringLiteral("Phase"), 120, 240, 800);
        b.button(QStringLiteral("VP0180"), QString(), 1860, 180, 900);
    }

    // Pan/tilt window buttons
    {
        QGroupBox* g = frame(*this, QStringLiteral("FmPTWindowM"), QStringLiteral("Pan/Tilt Window"), kFmPTWindowM);
        Builder b(*this, g);
        b.button(QStringLiteral("PTWSizeM"), QStringLiteral("Small"), 120, 240, 1100);
        b.button(QStringLiteral("PTWDockingM"), QStringLiteral("Release"), 1320, 240, 1100);
        b.button(QStringLiteral("PTWCloseM"), QStringLiteral("CLOSE"), 2520, 240, 1100);
    }

    buildValueControls(*this);

    // The designed state, until the camera tells its own: the optical zoom
    // slider in front, combine mode (no digital zoom drive), no near limit,
    // full auto exposure (only the back-light and slow-shutter switches are
    // usable), and auto focus with the Normal sub-mode.
    auto* full = control<QWidget>(QStringLiteral("ZoomSlider"));
    full->hide();
    full->setEnabled(false);
    control<QSlider>(QStringLiteral("FocusNearLimitSlider"))->setValue(0xC000);
    for (const char* n : {"DZoomWide", "DZoomTele", "IrisClose", "IrisOpen", "IrisSlider", "GainDown", "GainUp",
                          "GainSlider", "ShutterSlow", "ShutterFast", "ShutterSlider", "BrightDown", "BrightUp",
                          "BrightSlider"})
        control<QWidget>(QString::fromLatin1(n))->setEnabled(false);
    for (const char* n : {"Near", "Far", "NearSpeed", "FarSpeed", "UpDown3", "UpDown4", "FocusSlider", "AFTrig",
                          "AFModeCmd_0", "AFModeCmd_1", "Infinity"})
        control<QWidget>(QString::fromLatin1(n))->setEnabled(false);
}

} // namespace peltro
