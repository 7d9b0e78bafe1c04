#include "status_reader.h"

#include "camera_controls.h"
#include "camera_packets.h"
#include "catalogue.h"
#include "chain_packets.h"
#include "frm_main.h"
#include "panel_config.h"
#include "refresh_controller.h"
#include "tick_action.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

namespace peltro {

StatusReader::StatusReader(FrmMain& main, PanelConfig& config, QObject* parent)
    : QObject(parent), m(main), m_config(config)
{
    m.statusRead = [this] { return ReadCameraStatus(); };
    connect(&m.refresh(), &RefreshController::readDue, this, [this] { ReadCameraStatus(); });
    connect(m.refreshOnce, &QPushButton::clicked, this, &StatusReader::onRefreshOnce);
}

void StatusReader::onRefreshOnce()
{
    if (m.link().refuseIfLost())
        return;
    if (m.state().presetBusy)
        m.refresh().skipOneMore();
    ReadCameraStatus();
}

bool StatusReader::ReadCameraStatus()
{
    PanelState& st = m.state();
    // Nothing is read from a lost port; the operator has been told.
    if (m_reading || st.startup || m.link().portLost())
        return false;
    if (st.presetBusy)
        return false;
    if (m.refresh().takeSkip())
        return false;
    m.refresh().beginRead();
    m_reading = true;
    st.statusReadBusy = true;

    if (!st.modelIdentified && !identify()) {
        if (!m.link().portLost())
            markNoAnswer();
        finish();
        return true;
    }

    if (st.panTiltFamily && st.panTiltModel == kModelP1) {
        // This model has no status blocks to read.
        st.statusReadBusy = false;
        m_reading = false;
    } else {
        QByteArray blocks[4];
        for (int i = 0; i < 4; ++i) {
            if (!readBlock(i, blocks[i])) {
                if (!m.link().portLost())
                    markNoAnswer();
                finish();
                return true;
            }
        }
        showAnswered();
        // Nothing is decoded before every block has come in.
        const OtherStatus other = decodeOther(blocks[2]);
        m.videoSystem = other.videoSystem;
        m.ntscOrPal->setText(other.videoSystem == 0 ? QStringLiteral("NTSC") : QStringLiteral("PAL"));
        applyLens(decodeLens(blocks[0]));
        applyCamera(decodeCamera(blocks[1]));
        applyOther(other);
        if (st.panTiltModel == kModelP3)
            applyExpanded(decodeExpanded(blocks[3]));
    }

    if (st.panTiltFamily && checkPanTiltWindow)
        checkPanTiltWindow();
    if (m.action(QStringLiteral("Power"))->isChecked() && st.panTiltFamily && st.ptwShown && st.ptwLarge
        && readPanTiltStatus && !m.link().portLost() && !readPanTiltStatus() && !m.link().portLost())
        markNoAnswer();
    finish();
    return true;
}

void StatusReader::markNoAnswer()
{
    // The values on show are not the addressed camera's: say so where the
    // model's name stands, until a read of it succeeds.
    if (!m_noAnswer)
        m_answeredName = m.modelVersion->text();
    m_noAnswer = true;
    m.modelVersion->setText(QStringLiteral("Camera %1: no answer").arg(m.state().cameraAddress));
}

void StatusReader::showAnswered()
{
    if (!m_noAnswer)
        return;
    m_noAnswer = false;
    // A camera identified meanwhile has put its own name up already.
    if (m.modelVersion->text().endsWith(QLatin1String(": no answer")))
        m.modelVersion->setText(m_answeredName);
}

void StatusReader::finish()
{
    PanelState& st = m.state();
    st.statusReadBusy = false;
    m_reading = false;
    st.echo = true;
    m.link().port().setRThreshold(1);
}

bool StatusReader::identify()
{
    PanelState& st = m.state();
    Link& link = m.link();
    QByteArray v;
    for (int tries = 0;;) {
        link.SD(Link::VarArrayToBytes(chain::versionInquiry(st.cameraAddress)), 0);
        v = link.WaitReply(10);
        // The port failed under the read: that is not the camera's silence.
        if (link.portLost())
            return false;
        if (++tries >= kMaxTries) {
            m.refresh().ARError();
            return false;
        }
        if (v.size() >= 10 && (quint8(v[0]) & 0x80) && quint8(v[1]) == 0x50 && quint8(v[9]) == 0xFF)
            break;
    }
    const bool wasPanTilt = st.panTiltFamily;
    m_noAnswer = false;
    if (quint8(v[3]) != kVendorQuorin) {
        st.panTiltFamily = false;
        // The name of a block camera in a chain of several, so that the box
        // never shows the previous camera's model; empty for a code the
        // catalogue does not know.
        if (quint8(v[3]) == kVendorTamiro) {
            const BlockModelRow* row = findBlockModel(quint8(v[5]));
            m.modelVersion->setText(row ? row->name : QString());
        }
    } else {
        m_config.showQuorinFamily();
        m.control<QWidget>(QStringLiteral("FmPreset"))->show();
        if (showMounting)
            showMounting(QString());
        st.romHigh = quint8(v[6]);
        st.romLow = quint8(v[7]);
        const QStringList names = panTiltModelNames();
        switch (quint8(v[5])) {
        case kModelP1:
            st.panTiltModel = kModelP1;
            m.modelVersion->setText(names[0]);
            m.refresh().noStatusToRead();
            m.ntscOrPal->clear();
            m.cameraIdText->clear();
            m_config.DspP1();
            break;
        case kModelP2:
            m.modelVersion->setText(names[1]);
            st.panTiltModel = kModelP2;
            m_config.DspP2();
            break;
        case kModelP3:
            st.panTiltModel = kModelP3;
            m.modelVersion->setText(names[2]);
            m_config.DspP3();
            break;
        default:
            break;
        }
    }
    st.modelIdentified = true;
    if (st.panTiltFamily != wasPanTilt && familyChanged)
        familyChanged();
    return true;
}

bool StatusReader::readBlock(int block, QByteArray& reply)
{
    Link& link = m.link();
    for (int invalid = 0;;) {
        link.SD(Link::VarArrayToBytes(chain::blockInquiry(m.state().cameraAddress, chain::Block(block))), 0);
        reply = link.WaitReply(16);
        if (isValidBlock(reply))
            return true;
        if (link.portLost())
            return false;
        if (++invalid >= kMaxTries) {
            m.refresh().ARError();
            return false;
        }
    }
}

void StatusReader::applyLens(const LensStatus& s)
{
    auto slider = [this](const char* n) { return m.control<QSlider>(QString::fromLatin1(n)); };
    auto box = [this](const char* n) { return m.control<QLineEdit>(QString::fromLatin1(n)); };
    auto enable = [this](std::initializer_list<const char*> names, bool on) {
        for (const char* n : names)
            m.control<QWidget>(QString::fromLatin1(n))->setEnabled(on);
    };
    if (s.zoom) {
        slider("ZoomSlider")->setValue(*s.zoom);
        slider("ZoomSliderShort")->setValue(*s.zoom);
        box("ZoomValue")->setText(hexText(*s.zoom));
    }
    // The near limit goes first: the focus slider never passes it, so a focus
    // set against the previous limit could be cut short.
    slider("FocusNearLimitSlider")->setValue(s.nearLimit);
    if (s.focus) {
        slider("FocusSlider")->setValue(*s.focus);
        box("FocusValue")->setText(hexText(*s.focus));
    }

    if (!s.separateMode) {
        enable({"DZoomTele", "DZoomWide", "DZoomX", "DZoomMode_0"}, false);
        enable({"DZoomMode_1", "DZoom"}, true);
        m.control<QCheckBox>(QStringLiteral("DZoom"))->setChecked(s.digitalZoomOn);
        showFullZoomSlider(m, s.digitalZoomOn);
    } else {
        enable({"DZoomTele", "DZoomWide", "DZoomX", "DZoomMode_0"}, true);
        enable({"DZoomMode_1"}, false);
        showFullZoomSlider(m, false);
        enable({"DZoom"}, false);
    }
    m.control<QCheckBox>(QStringLiteral("AF_Sens"))->setChecked(s.afSensitivityLow);

    const bool manual = !s.autoFocus;
    enable({"Near", "Far", "NearSpeed", "FarSpeed", "UpDown3", "UpDown4", "FocusSlider", "AFTrig", "AFModeCmd_0",
            "Infinity"},
           manual);
    enable({"AFModeCmd_1", "AFModeCmd_2", "AFModeCmd_3", "ManAFMode"}, !manual);

    PanelState& st = m.state();
    switch (s.afSubModeBits) {
    case 0x00:
        st.afSubMode = 0;
        enable({"AFModeCmd_1"}, false);
        enable({"AFModeCmd_2", "AFModeCmd_3"}, true);
        break;
    case 0x08:
        st.afSubMode = 1;
        enable({"AFModeCmd_2"}, false);
        enable({"AFModeCmd_1", "AFModeCmd_3"}, true);
        break;
    case 0x10:
        st.afSubMode = 2;
        enable({"AFModeCmd_3"}, false);
        enable({"AFModeCmd_1", "AFModeCmd_2"}, true);
        break;
    default:
        break;
    }
}

void StatusReader::applyCamera(const CameraStatus& s)
{
    auto slider = [this](const char* n) { return m.control<QSlider>(QString::fromLatin1(n)); };
    auto box = [this](const char* n) { return m.control<QLineEdit>(QString::fromLatin1(n)); };

    // The camera's mode is always recorded, a mode the panel does not know
    // included (it ticks no item and enables nothing): otherwise a later
    // click on the mode recorded before would be taken as no change.
    checkWBModeItem(m, s.wbMode);
    if (s.wbMode != m.recordedWBMode) {
        m.recordedWBMode = s.wbMode;
        applyWBEnabling(m, s.wbMode);
    }
    checkAEModeItem(m, s.aeMode);
    if (s.aeMode != m.recordedAEMode) {
        m.recordedAEMode = s.aeMode;
        applyAEEnabling(m, s.aeMode);
    }

    slider("RGainSlider")->setValue(s.rGain);
    box("RGValue")->setText(hexText(slider("RGainSlider")->value()));
    slider("BGainSlider")->setValue(s.bGain);
    box("BGValue")->setText(hexText(slider("BGainSlider")->value()));
    slider("ApertureSlider")->setValue(s.aperture);
    box("ApertureValue")->setText(hexText(s.aperture));

    // A position outside the label list moves the slider and leaves the box.
    auto labelled = [&](const char* sliderName, const char* boxName, int value, const QStringList& list, int limit) {
        slider(sliderName)->setValue(value);
        if (value < limit)
            if (auto text = labelAt(list, value))
                box(boxName)->setText(*text);
    };
    labelled("ShutterSlider", "ShutterValue", s.shutter, m.labels.shutter[m.videoSystem == 1 ? 1 : 0], 22);
    labelled("IrisSlider", "IrisValue", s.iris, m.labels.iris, 19);
    labelled("GainSlider", "GainValue", s.gain, m.labels.gain, 16);
    labelled("BrightSlider", "BrightValue", s.bright, m.labels.bright, 33);
    labelled("ExpCompSlider", "ExpCompValue", s.expComp, m.labels.expComp, 15);

    m.control<QCheckBox>(QStringLiteral("AutoSlowShutter"))->setChecked(s.slowShutter);
    m.control<QCheckBox>(QStringLiteral("BackLight"))->setChecked(s.backLight);
    m.control<QCheckBox>(QStringLiteral("ExpComp"))->setChecked(s.expCompOn);
    for (const char* n : {"ExpCompUp", "ExpCompDown", "ExpCompSlider"})
        m.control<QWidget>(QString::fromLatin1(n))->setEnabled(s.expCompOn);
}

void StatusReader::applyOther(const OtherStatus& s)
{
    m.action(QStringLiteral("LR_Reverse"))->setChecked(s.lrReverse);
    m.action(QStringLiteral("Freese"))->setChecked(s.freeze);
    m.action(QStringLiteral("Power"))->setChecked(s.power);
    m.action(QStringLiteral("KeyLock"))->setChecked(s.keyLock);
    m.action(QStringLiteral("DataScreen"))->setChecked(s.dataScreen);
    m.action(QStringLiteral("TitleOnOff"))->setChecked(s.titleDisplay);
    m.control<QPushButton>(QStringLiteral("CmdAutoICR"))->setText(s.autoIcr ? QStringLiteral("ON")
                                                                              : QStringLiteral("OFF"));
    static const char* const effects[] = {"PEOff", "Pastel", "NegArt", "Sepia", "BlackWhite",
                                          "Solarize", "Mosaic", "Slim", "Stretch"};
    for (const char* n : effects)
        m.action(QString::fromLatin1(n))->setChecked(false);
    if (s.pictureEffect >= 0 && s.pictureEffect <= 8)
        m.action(QString::fromLatin1(effects[s.pictureEffect]))->setChecked(true);
    static const char* const digital[] = {"DEOff", "Still", "Flash", "Lumi", "Trail"};
    for (const char* n : digital)
        m.action(QString::fromLatin1(n))->setChecked(false);
    if (s.digitalEffect >= 0 && s.digitalEffect <= 4)
        m.action(QString::fromLatin1(digital[s.digitalEffect]))->setChecked(true);
    m.effectLevel = s.effectLevel;
    if (showEffectLevel)
        showEffectLevel(s.effectLevel);
    m.cameraIdText->setText(QString::number(s.cameraId));
    if (showCameraId)
        showCameraId(s.cameraId);
}

void StatusReader::applyExpanded(const ExpandedStatus& s)
{
    auto* dzoom = m.control<QSlider>(QStringLiteral("DZoomSlider"));
    dzoom->setValue(s.digitalZoom);
    m.control<QLineEdit>(QStringLiteral("DZoomValue"))->setText(hexText(dzoom->value()));
    m.control<QPushButton>(QStringLiteral("DZoomX"))->setText(dzoom->value() == 0 ? QStringLiteral("MAX")
                                                                                    : QStringLiteral("X1"));
    m.state().alarmOn = s.alarmOn;
    if (s.alarmOn)
        m.refresh().stopForAlarm();
    if (showMounting)
        showMounting(s.ceilingMount ? QStringLiteral("Ceiling Mount") : QStringLiteral("Desktop Mount"));
    m.action(QStringLiteral("MotionDetecter"))->setVisible(s.motionDetection);
}

} // namespace peltro
