#include "frm_gamepad.h"
#include "gamepad_control.h"
#include "recording_operations.h"
#include "sdl_gamepad.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <SDL.h>
#include <memory>

using namespace peltro;
using namespace peltro::test;

namespace {

enum { LeftX, LeftY, RightX, RightY };
enum { A, B, X, Y, Back, Guide, Start, LeftStick, RightStick, LeftShoulder, RightShoulder, DpadUp, Misc = 15 };

// A game controller that exists only inside SDL: no hardware, no display.
class VirtualPad {
public:
    VirtualPad()
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Virtual pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        if (index >= 0)
            m_joystick = SDL_JoystickOpen(index);
    }
    ~VirtualPad() { unplug(); }
    bool ok() const { return m_joystick != nullptr; }
    void axis(int axis, double value) { SDL_JoystickSetVirtualAxis(m_joystick, axis, Sint16(value * 32767)); }
    void button(int button, bool down) { SDL_JoystickSetVirtualButton(m_joystick, button, down ? 1 : 0); }
    void unplug()
    {
        if (!m_joystick)
            return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(m_joystick);
        SDL_JoystickClose(m_joystick);
        m_joystick = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id)
                SDL_JoystickDetachVirtual(i);
        }
    }

private:
    SDL_Joystick* m_joystick = nullptr;
};

// The surface over recorded operations, with a virtual pad plugged in.
struct PadRig {
    PadRig()
    {
        pad = std::make_unique<VirtualPad>();
        sdl.poll();
        ops.take();
    }
    RecordingOperations ops;
    GamepadControl control{ops};
    SdlGamepad sdl{control};
    std::unique_ptr<VirtualPad> pad;

    QStringList axis(int axis, double value)
    {
        pad->axis(axis, value);
        sdl.poll();
        return ops.take();
    }
    QStringList press(int button, bool down = true)
    {
        pad->button(button, down);
        sdl.poll();
        return ops.take();
    }
    QStringList click(int button)
    {
        QStringList calls = press(button);
        calls += press(button, false);
        return calls;
    }
};

QStringList gamepad(std::initializer_list<const char*> calls)
{
    QStringList out;
    for (const char* c : calls)
        out << QStringLiteral("Gamepad ") + QLatin1String(c);
    return out;
}

} // namespace

class TestGamepad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        qputenv("SDL_VIDEODRIVER", "dummy");
        PadRig rig;
        QVERIFY2(rig.sdl.available(), qPrintable(rig.sdl.error()));
        QVERIFY2(rig.pad->ok(), SDL_GetError());
    }

    // A plugged-in pad is seen on the next poll and polled often; unplugged,
    // seldom. A stick let go reaches the camera on the very next poll.
    void hotPlugAndPolling()
    {
        const auto handlers = [] {
            QList<void (*)(int)> out;
            for (const int sig : {SIGTERM, SIGINT}) {
                struct sigaction action {};
                ::sigaction(sig, nullptr, &action);
                out << action.sa_handler;
            }
            return out;
        };
        // As in the panel, where nothing handles them (the test library
        // does here): put back after the check.
        struct sigaction saved[2] {};
        struct sigaction plain {};
        plain.sa_handler = SIG_DFL;
        ::sigaction(SIGTERM, &plain, &saved[0]);
        ::sigaction(SIGINT, &plain, &saved[1]);
        RecordingOperations ops;
        GamepadControl control(ops);
        SdlGamepad sdl(control);
        // Reading the controller leaves the program's signals alone: a
        // terminate or an interrupt still ends the panel.
        const QList<void (*)(int)> now = handlers();
        ::sigaction(SIGTERM, &saved[0], nullptr);
        ::sigaction(SIGINT, &saved[1], nullptr);
        QVERIFY(now == (QList<void (*)(int)>{SIG_DFL, SIG_DFL}));
        sdl.poll();
        QVERIFY(!control.attached());
        QCOMPARE(sdl.pollTimer().interval(), SdlGamepad::kDetachedPollMs);
        QVERIFY(sdl.pollTimer().isActive());
        auto pad = std::make_unique<VirtualPad>();
        sdl.poll();
        QVERIFY(control.attached());
        QCOMPARE(control.controllerName(), QStringLiteral("Virtual pad"));
        QVERIFY(SdlGamepad::kAttachedPollMs <= 10);
        QCOMPARE(sdl.pollTimer().interval(), SdlGamepad::kAttachedPollMs);
        pad->axis(LeftX, 1.0);
        sdl.poll();
        QCOMPARE(ops.take(), gamepad({"panTilt 1 24 0"}));
        pad->axis(LeftX, 0.0);
        sdl.poll();
        QCOMPARE(ops.take(), gamepad({"panTilt 1 0 0"}));
        pad->unplug();
        sdl.poll();
        QVERIFY(!control.attached());
        QCOMPARE(sdl.pollTimer().interval(), SdlGamepad::kDetachedPollMs);
        // Plugged in again, it is used again.
        pad = std::make_unique<VirtualPad>();
        sdl.poll();
        QVERIFY(control.attached());
    }

    // The stick starts to count past 15 % and stops only below 10 %, so a
    // stick resting near the edge neither flickers nor creeps; speeds go out
    // only when the step changes.
    void deadZoneAndHysteresis()
    {
        PadRig rig;
        const QList<std::pair<double, QStringList>> steps{
            {0.10, {}},
            {0.16, gamepad({"panTilt 1 1 0"})},
            {0.12, {}},   // inside the dead zone, above its release: still moving
            {0.16, {}},
            {0.09, gamepad({"panTilt 1 0 0"})},
            {0.13, {}},   // not past the dead zone again yet
            {-1.0, gamepad({"panTilt 1 -24 0"})},
            {-0.999, {}},   // the same step
            {-0.6, gamepad({"panTilt 1 -13 0"})},
            {0.0, gamepad({"panTilt 1 0 0"})},
        };
        for (const auto& [value, expected] : steps)
            QCOMPARE(rig.axis(LeftX, value), expected);
        QCOMPARE(rig.ops.notes, (QStringList{QStringLiteral("Gamepad|Virtual pad|Left stick X: Pan"),
                                             QStringLiteral("Gamepad|Virtual pad|Left stick X: Pan")}));
    }

    // The curve, the per-camera maximum and the slow-down with the zoom.
    void curve_data()
    {
        QTest::addColumn<double>("curve");
        QTest::addColumn<int>("percent");
        QTest::addColumn<bool>("slower");
        QTest::addColumn<int>("zoomPosition");
        QTest::addColumn<int>("axis");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("linear") << 0.0 << 100 << false << 0 << int(LeftX) << 0.66 << "panTilt 1 15 0";
        QTest::newRow("half way") << 0.5 << 100 << false << 0 << int(LeftX) << 0.66 << "panTilt 1 10 0";
        QTest::newRow("cubic") << 1.0 << 100 << false << 0 << int(LeftX) << 0.66 << "panTilt 1 6 0";
        QTest::newRow("cubic, full") << 1.0 << 100 << false << 0 << int(LeftX) << 1.0 << "panTilt 1 24 0";
        QTest::newRow("half the speed") << 0.0 << 50 << false << 0 << int(LeftX) << 0.66 << "panTilt 1 8 0";
        QTest::newRow("zoomed half way") << 0.0 << 100 << true << 0x2000 << int(LeftX) << 0.66 << "panTilt 1 9 0";
        QTest::newRow("zoomed in") << 0.0 << 100 << true << 0x4000 << int(LeftX) << 0.66 << "panTilt 1 3 0";
        QTest::newRow("zoom not known") << 0.0 << 100 << true << -1 << int(LeftX) << 0.66 << "panTilt 1 15 0";
        QTest::newRow("zoom is not slowed") << 0.0 << 100 << true << 0x4000 << int(RightY) << -0.66 << "zoom 1 5";
        QTest::newRow("tilt up") << 0.0 << 100 << false << 0 << int(LeftY) << -0.7 << "panTilt 1 0 13";
    }
    void curve()
    {
        QFETCH(double, curve);
        QFETCH(int, percent);
        QFETCH(bool, slower);
        QFETCH(int, zoomPosition);
        QFETCH(int, axis);
        QFETCH(double, value);
        QFETCH(QString, expected);
        PadRig rig;
        GamepadSetup setup = GamepadSetup::defaults();
        setup.curve = curve;
        setup.maxSpeedPercent[0] = percent;
        setup.maxSpeedPercent[1] = 100;
        setup.slowerWhenZoomed = slower;
        rig.control.setSetup(setup);
        rig.ops.cameras[1].zoomPosition = zoomPosition;
        QCOMPARE(rig.axis(axis, value), QStringList{QStringLiteral("Gamepad ") + expected});
        // The zoom read by the next status read changes the step of a
        // running pan at once.
        if (slower && axis == LeftX && zoomPosition > 0) {
            rig.ops.cameras[1].zoomPosition = 0;
            Q_EMIT rig.ops.cameraChanged(1);
            QCOMPARE(rig.ops.take(), gamepad({"panTilt 1 15 0"}));
            Q_EMIT rig.ops.cameraChanged(2);   // not the addressed camera
            QCOMPARE(rig.ops.take(), QStringList{});
        }
    }

    // The default mapping, then one of the operator's own.
    void mapping()
    {
        PadRig rig;
        QCOMPARE(rig.axis(RightY, -1.0), gamepad({"zoom 1 7"}));
        QCOMPARE(rig.axis(RightY, 0.0), gamepad({"zoom 1 0"}));
        QCOMPARE(rig.axis(RightX, 1.0), QStringList{});   // unmapped
        QCOMPARE(rig.axis(RightX, 0.0), QStringList{});
        QCOMPARE(rig.click(A), gamepad({"preset 1 recall 1"}));
        QCOMPARE(rig.click(B), gamepad({"preset 1 recall 2"}));
        QCOMPARE(rig.click(X), gamepad({"preset 1 recall 3"}));
        QCOMPARE(rig.click(Y), gamepad({"preset 1 recall 4"}));
        QCOMPARE(rig.click(Back), gamepad({"home 1"}));
        QCOMPARE(rig.click(Start), gamepad({"stop 1", "stop 2"}));
        QCOMPARE(rig.click(RightShoulder), gamepad({"select 2"}));
        QCOMPARE(rig.click(RightShoulder), gamepad({"select 1"}));
        QCOMPARE(rig.click(LeftShoulder), gamepad({"select 2"}));
        QCOMPARE(rig.click(LeftShoulder), gamepad({"select 1"}));
        QCOMPARE(rig.ops.notes.first(), QStringLiteral("Gamepad|Virtual pad|Right stick Y: Zoom"));
        QCOMPARE(rig.ops.notes.last(), QStringLiteral("Gamepad|Virtual pad|Left shoulder: Previous camera"));
        QCOMPARE(rig.ops.notes.size(), 11);

        GamepadSetup setup = GamepadSetup::defaults();
        setup.axes[RightX] = {GamepadAction::Focus, true};
        setup.axes[LeftX] = {GamepadAction::Home, false};   // an axis as a button
        setup.buttons[A] = {};
        setup.buttons[DpadUp] = {GamepadAction::Zoom, true};
        setup.buttons[Misc] = {GamepadAction::Preset6, false};
        rig.control.setSetup(setup);
        QCOMPARE(rig.axis(RightX, 1.0), gamepad({"focus 1 -7"}));
        QCOMPARE(rig.axis(RightX, 0.0), gamepad({"focus 1 0"}));
        QCOMPARE(rig.axis(LeftX, -0.8), gamepad({"home 1"}));
        QCOMPARE(rig.axis(LeftX, -1.0), QStringList{});   // once per push
        QCOMPARE(rig.axis(LeftX, 0.0), QStringList{});
        QCOMPARE(rig.click(A), QStringList{});
        QCOMPARE(rig.press(DpadUp), gamepad({"zoom 1 -7"}));
        QCOMPARE(rig.press(DpadUp, false), gamepad({"zoom 1 0"}));
        // A preset the camera lacks is refused in words.
        rig.ops.cameras[1].firstPreset = 0;
        QSignalSpy refused(&rig.control, &GamepadControl::refused);
        QCOMPARE(rig.click(Misc), QStringList{});
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused.first().first().toString(),
                 QStringLiteral("Gamepad: Preset 6 not sent: the camera does not have it."));
        // No head: pan-tilt is not asked for at all.
        rig.ops.cameras[1].panTilt = false;
        setup.axes[LeftX] = {GamepadAction::Pan, false};
        rig.control.setSetup(setup);
        QCOMPARE(rig.axis(LeftX, 1.0), QStringList{});
    }

    // Every way the gamepad's motion ends stops every camera it moved, and
    // a stick held through the stop moves nothing until it has been let go.
    void stopCases_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("unplugged") << "unplug" << QStringList{};
        QTest::newRow("link lost, then back") << "link" << gamepad({"stop 1 (link lost)", "stop 1"});
        QTest::newRow("camera switched by the panel")
            << "select" << QStringList{QStringLiteral("Panel select 2"), QStringLiteral("Gamepad stop 1")};
        QTest::newRow("next camera on the pad") << "shoulder" << gamepad({"stop 1", "select 2"});
        QTest::newRow("panel closing") << "close" << gamepad({"stop 1"});
        QTest::newRow("gone without recentring its sticks") << "detach" << gamepad({"stop 1"});
        QTest::newRow("mapping changed") << "setup" << gamepad({"stop 1"});
    }
    void stopCases()
    {
        QFETCH(QString, event);
        QFETCH(QStringList, expected);
        PadRig rig;
        QCOMPARE(rig.axis(LeftX, 1.0), gamepad({"panTilt 1 24 0"}));
        QCOMPARE(rig.axis(RightY, -1.0), gamepad({"zoom 1 7"}));
        QCOMPARE(rig.control.movedCameras(), QSet<int>{1});
        if (event == QLatin1String("unplug")) {
            rig.pad->unplug();
            rig.sdl.poll();
            // SDL recentres the inputs of a vanishing controller first; either
            // way pan-tilt and zoom end stopped.
            const QStringList calls = rig.ops.take();
            QVERIFY2(calls == gamepad({"stop 1"}) || calls == gamepad({"panTilt 1 0 0", "zoom 1 0"}),
                     qPrintable(calls.join(QStringLiteral(", "))));
            QVERIFY(rig.control.movedCameras().isEmpty());
            return;
        }
        QStringList calls;
        if (event == QLatin1String("link")) {
            rig.ops.setLink(false);
            calls = rig.ops.take();
            QCOMPARE(rig.axis(LeftX, 0.5), QStringList{});   // nothing while the link is down
            rig.ops.setLink(true);
        } else if (event == QLatin1String("select")) {
            rig.ops.select(2, Surface::Panel);
        } else if (event == QLatin1String("shoulder")) {
            calls = rig.press(RightShoulder);
        } else if (event == QLatin1String("detach")) {
            rig.control.detach();
            QCOMPARE(rig.ops.take(), expected);
            QVERIFY(rig.control.movedCameras().isEmpty());
            return;
        } else if (event == QLatin1String("close")) {
            rig.control.stopMoved();
        } else if (event == QLatin1String("setup")) {
            GamepadSetup setup = rig.control.setup();
            setup.curve = 1.0;
            rig.control.setSetup(setup);
        }
        QCOMPARE(calls + rig.ops.take(), expected);
        QVERIFY(rig.control.movedCameras().isEmpty());
        // Still held: nothing moves until the stick has been let go.
        QCOMPARE(rig.axis(LeftX, 0.9), QStringList{});
        QCOMPARE(rig.axis(LeftX, 0.0), QStringList{});
        const int camera = rig.ops.selected;
        QCOMPARE(rig.axis(LeftX, 1.0), gamepad({qPrintable(QStringLiteral("panTilt %1 24 0").arg(camera))}));
    }

    // The window shows the live values and puts what it shows in force and
    // in the settings; values in the settings that make no sense are left
    // at their defaults.
    void window()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        PadRig rig;
        QPointer<FrmGamepad> window = openGamepadWindow(nullptr, rig.control, &rig.sdl, settings);
        QCOMPARE(window->objectName(), QStringLiteral("FrmGamepad"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Gamepad"));
        QCOMPARE(window->status->text(), QStringLiteral("Controller: Virtual pad"));
        rig.axis(RightY, -0.5);
        QCOMPARE(window->findChild<QProgressBar*>(QStringLiteral("GamepadAxisValue_3"))->value(), -50);
        rig.press(Start);
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("GamepadButtonState_6"))->text(), QStringLiteral("pressed"));
        rig.press(Start, false);
        rig.axis(RightY, 0.0);
        rig.ops.take();
        QCOMPARE(window->shownSetup(), GamepadSetup::defaults());

        auto* a = window->findChild<QComboBox*>(QStringLiteral("GamepadButtonAction_0"));
        a->setCurrentIndex(a->findText(QStringLiteral("Home")));
        window->findChild<QCheckBox*>(QStringLiteral("GamepadAxisInvert_0"))->setChecked(true);
        window->deadZone->setValue(30);
        window->maxSpeed[1]->setValue(40);
        window->findChild<QPushButton*>(QStringLiteral("GamepadCancel"))->click();
        QCOMPARE(rig.control.setup(), GamepadSetup::defaults());
        QVERIFY(settings.allKeys().isEmpty());

        window = openGamepadWindow(nullptr, rig.control, &rig.sdl, settings);
        a = window->findChild<QComboBox*>(QStringLiteral("GamepadButtonAction_0"));
        a->setCurrentIndex(a->findText(QStringLiteral("Home")));
        window->findChild<QCheckBox*>(QStringLiteral("GamepadAxisInvert_0"))->setChecked(true);
        window->deadZone->setValue(30);
        window->maxSpeed[1]->setValue(40);
        window->findChild<QPushButton*>(QStringLiteral("GamepadOK"))->click();
        QCOMPARE(rig.control.setup().buttons[A].action, GamepadAction::Home);
        QCOMPARE(rig.click(A), gamepad({"home 1"}));
        QCOMPARE(rig.axis(LeftX, 0.25), QStringList{});   // the dead zone is 30 % now
        QCOMPARE(rig.axis(LeftX, 1.0), gamepad({"panTilt 1 -24 0"}));
        QCOMPARE(settings.value(QStringLiteral("Settings/GamepadButton_a")).toString(), QStringLiteral("Home"));
        QCOMPARE(settings.value(QStringLiteral("Settings/GamepadAxis_leftx")).toString(), QStringLiteral("Pan,Inverted"));
        QCOMPARE(GamepadSetup::read(settings), rig.control.setup());
        QCOMPARE(GamepadSetup::read(settings).maxSpeedPercent[1], 40);

        settings.setValue(QStringLiteral("Settings/GamepadDeadZone"), QStringLiteral("abc"));
        settings.setValue(QStringLiteral("Settings/GamepadCurve"), QStringLiteral("500"));
        settings.setValue(QStringLiteral("Settings/GamepadMaxSpeed2"), QStringLiteral("0"));
        settings.setValue(QStringLiteral("Settings/GamepadAxis_leftx"), QStringLiteral("Fly"));
        settings.setValue(QStringLiteral("Settings/GamepadButton_a"), QStringLiteral("Home,Sideways"));
        settings.setValue(QStringLiteral("Settings/GamepadZoomedSlower"), QStringLiteral("maybe"));
        const GamepadSetup read = GamepadSetup::read(settings);
        const GamepadSetup defaults = GamepadSetup::defaults();
        QCOMPARE(read.deadZone, defaults.deadZone);
        QCOMPARE(read.curve, defaults.curve);
        QCOMPARE(read.maxSpeedPercent[1], 100);
        QCOMPARE(read.axes[LeftX], defaults.axes[LeftX]);
        QCOMPARE(read.buttons[A], defaults.buttons[A]);
        QCOMPARE(read.slowerWhenZoomed, false);
        delete window;
    }
};

QTEST_MAIN(TestGamepad)
#include "test_gamepad.moc"
