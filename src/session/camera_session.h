#pragma once

#include "camera_operations.h"
#include "catalogue.h"
#include "job.h"
#include "link.h"
#include "motion_pacer.h"
#include "preset_operation.h"
#include "refresh_machine.h"
#include "status_blocks.h"

#include <QPointer>
#include <QTimer>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace peltro {

// The camera's alarm settings as last read or set, shared by the status read,
// the alarm window and the power-off dialogs.
struct AlarmSettings {
    bool on = false;
    std::uint8_t mode = 0;          // 0..12, 12 is day & night
    bool modeKnown = false;         // set or read in the alarm window
    int dayLevel = 0;               // 0x000..0xFFF
    bool dayKnown = false;
    int nightLevel = 0;
    bool nightKnown = false;
    int currentLevel = 0;           // the camera's AE level at the last level inquiry
    bool settingsRead = false;      // the values above are the camera's
};

// Camera titles: one row of 21 character codes per address 0..8.
using TitleRow = std::array<std::uint8_t, 21>;

// What the operator is told about the link on the status line.
struct LinkNews {
    enum class Tone { Alarm, Busy, Good };
    Tone tone = Tone::Good;
    QString text;
    bool lasting = true;    // false: words of a good end, taken down after a while
};

// The camera chain as one object, without any widget: the link, the chain
// (camera count, addressed camera, each camera's identified model), the
// link-lost state and its recovery, auto refresh, the preset operation, the
// status read and the operations behind every control of the panel, each
// obeying the rules the panel's own controls obey. Windows are views of it;
// control surfaces drive it through CameraOperations.
//
// Continuous motion asked for through CameraOperations goes through one
// MotionPacer per camera, for which the session is the line: a packet may go
// when no exchange holds the line, and an owed stop is let in between two
// exchanges of a status read, so that it never waits for the whole read.
class CameraSession final : public CameraOperations, public JobOwner {
    Q_OBJECT
public:
    static constexpr int kMaxTries = 7;          // tries of one inquiry before a read gives up
    static constexpr int kBroadcastWaitMs = 1000;  // the interface clear's way around the chain

    CameraSession(PortObject& port, Clock& clock, QObject* parent = nullptr);
    ~CameraSession() override;

    Link& link() { return m_link; }
    Clock& clock() { return m_clock; }
    RefreshMachine& refresh() { return m_refresh; }
    const RefreshMachine& refresh() const { return m_refresh; }

    // --- the chain ---
    int address() const { return m_address; }
    // Addresses a camera without reading it, as start-up addresses the first.
    void setAddress(int address);
    std::optional<Identity> identity(int address) const;
    // The family and pan/tilt model the panel was last set up for.
    bool panTiltFamily() const { return m_panTiltFamily; }
    std::uint8_t panTiltModel() const { return m_panTiltModel; }
    int romHigh() const { return m_romHigh; }
    int romLow() const { return m_romLow; }
    // The addressed camera's model is known since it was last selected or powered on.
    bool modelIdentified() const { return m_modelIdentified; }
    // AF sub-mode: 0 Normal, 1 Interval AF, 2 Zoom Trigger.
    int afSubMode() const { return m_afSubMode; }
    void setAfSubMode(int mode) { m_afSubMode = std::uint8_t(mode); }
    // The camera's power as last read or commanded.
    bool powerOn() const { return m_powerOn; }
    bool startupRunning() const { return m_startup; }
    AlarmSettings& alarm() { return m_alarm; }
    TitleRow& titleRow(int address);

    // --- exchanges ---
    // An exchange holds the line (a status read, start-up, a window's
    // inquiries): operator commands are refused meanwhile, and what a
    // control surface asks for waits for lineFree().
    bool busy() const { return m_exchanges > 0; }
    // A hold on the line for the lifetime of an exchange.
    class LineHold {
    public:
        explicit LineHold(CameraSession& session);
        LineHold(const LineHold&) = delete;
        LineHold& operator=(const LineHold&) = delete;
        ~LineHold();

    private:
        CameraSession& m_session;
    };

    // --- start-up's exchanges ---
    void beginStartup();
    // The interface clear broadcast, silently: true when it came back.
    Task<bool> interfaceClearAnswered();
    // Address Set, up to kMaxTries times; step() after each try. The count
    // of cameras, or none when the chain never answered.
    Task<std::optional<int>> assignAddresses(std::function<void()> step);
    // The version of camera 1, up to kMaxTries times: its identity when its
    // own answer came, or none.
    Task<std::optional<Identity>> checkVersion(std::function<void()> step);
    // Start-up has read the chain: auto refresh may run (it starts stopped).
    void endStartup();

    // --- status ---
    // The full status read ("Refresh Once", each tick of auto refresh, and
    // after commands that must show the camera's new state), started: false
    // when it was refused or skipped. statusRead() is emitted when it ends.
    bool readStatus();
    // The same, for an exchange that goes on when the read is over.
    Task<bool> statusReadDone();
    // "Refresh Once": refused on a lost link; during a preset one more read
    // is skipped after this one.
    void refreshOnce();
    // The pan-tilt status is read with the status while the pan-tilt window
    // is shown in its large size.
    void setPanTiltStatusWanted(bool wanted) { m_panTiltWanted = wanted; }

    // --- operator commands ---
    // An operator command (its replies recognised, auto refresh suspended
    // until they end); refused while a status read runs or the link is lost.
    SendResult command(const Packet& packet);
    // A value slider's position while the operator drags its thumb: through
    // the camera's pacer, so that only the latest waits and the camera is
    // never sent more than it takes; refused on a lost link like a command.
    void dragPosition(const Packet& packet);
    // A value slider's position from a key, the wheel or the release of a
    // drag: a command at once, in place of a drag position still waiting.
    SendResult sendPosition(const Packet& packet);
    // A drive started by hand (a hold button pressed, a pan-tilt direction
    // clicked) and its stop, through the camera's pacer: the stop goes before
    // anything that waits, also inside a status read, and goes again while
    // the camera does not acknowledge it. A drive is refused on a lost link
    // like a command; a stop asked for then goes when the link is back.
    void driveByHand(const Packet& drive, const Packet& stop);
    void stopByHand(const Packet& stop);
    // Writes the camera ID of the addressed camera.
    void writeCameraId(int id);
    // Two commands with a pause between them for the camera to settle.
    void commandsApart(Packet first, double seconds, Packet second);
    // The same for a window that keeps its own log (not in the history).
    SendResult windowCommand(const Packet& packet);
    // A silent inquiry: sent until check() accepts the answer of count
    // bytes, at most tries times. The accepted answer, or none.
    Task<std::optional<QByteArray>> inquire(Packet packet, int count, int tries,
                                            std::function<bool(const QByteArray&)> check);
    // One silent exchange: the packet, and the answer of count bytes (a
    // filler when it did not come within a second).
    Task<QByteArray> exchange(Packet packet, int count);
    // A pause between two commands of a sequence, for the camera.
    Task<void> pause(double seconds);
    bool lastExchangeTimedOut() const { return m_link.lastWaitTimedOut(); }
    // An answer a window read itself, echoed into the response box as the
    // receive handler would (not taken for the end of a command).
    void echoAnswer(const QByteArray& answer) { m_link.echoAnswer(answer); }
    void flushInput() { m_link.flushInput(); }
    // True, and the operator told, when the link is lost.
    bool refuseIfLinkLost() { return m_link.refuseIfLost(); }
    // After a window's silent exchanges, the receive handler takes over again.
    void resumeReceiving() { m_link.resumeReceiving(); }

    // Presets: one operation at a time until the camera ends it. kind: 0 set,
    // 1 recall, 2 reset; index 0..5 is the memory number. None when refused
    // (a status read runs, another preset runs).
    PresetOperation* startPreset(PresetOperation::Kind kind, int index, int address = 0);
    PresetOperation* runningPreset() const { return m_preset; }
    // A memory of a block camera: set and reset only send; a recall is
    // followed by a status read at once.
    void memory(PresetOperation::Kind kind, int number);

    // Reads the camera's alarm settings: detection on or off, the mode, the
    // day, night and current levels, each inquiry repeated until its answer
    // is valid, at most kMaxTries times. True when all three were read (the
    // settings are then marked as read); false when one never got a valid
    // answer (what was read before stays).
    Task<bool> readAlarmSettings();
    // What the operator is told when that read got no answer.
    static QString alarmNoAnswerText();

    // --- interface maintenance ---
    void interfaceClear();              // the addressed camera's
    void interfaceClearBroadcast();     // warns when it does not come back
    void addressSet();                  // warns when the chain gives no valid answer
    Task<bool> addressSetDone();        // false when the chain gave no valid answer
    void selectCamera(int address);     // as Select > Camera N
    // Powers the addressed camera on or off (refused during a status read
    // and on a lost link: false, nothing changes).
    bool setPowerOf(bool on);
    // The operator chose another port or speed: the link is reopened on it
    // and, as after a reconnection, the interfaces are cleared, the
    // addresses set and the status read.
    void changePort(int comPort, const QString& speedText);
    // The "Refresh Action Error" box was answered.
    void refreshErrorAnswered();

    // --- CameraOperations ---
    bool linkUp() const override { return !m_link.portLost(); }
    int cameraCount() const override { return m_count; }
    int selectedCamera() const override { return m_address; }
    CameraInfo camera(int address) const override;
    Outcome select(int address, Surface from) override;
    Outcome panTilt(int address, int pan, int tilt, Surface from) override;
    Outcome zoom(int address, int speed, Surface from) override;
    Outcome focus(int address, int speed, Surface from) override;
    Outcome stop(int address, Surface from) override;
    Outcome home(int address, Surface from) override;
    Outcome preset(int address, PresetOp op, int shownNumber, Surface from) override;
    Outcome setAutoFocus(int address, bool on, Surface from) override;
    Outcome onePushFocus(int address, Surface from) override;
    Outcome setPower(int address, bool on, Surface from) override;
    Outcome refreshOnce(Surface from) override;
    void noteSurfaceEvent(Surface from, const QString& source, const QString& what) override;

    // The motion pacer of a camera in the chain (address 1..7).
    MotionPacer& pacer(int address);
    // How long a stop may take to be acknowledged before the next exchange
    // of a read goes on without it, beyond the line time of both packets.
    static constexpr double kStopGapWait = 0.02;

Q_SIGNALS:
    // The addressed camera was identified from its version answer: the
    // panel takes that model's configuration.
    void identified(int address, const Identity& identity);
    // A status read came in whole.
    void statusRead(const CameraStatus& status);
    // A read of the addressed camera failed; a later one succeeded.
    void noAnswer(int address);
    void answeredAgain(int address);
    // The chain was counted (address set), and the addressed camera changed.
    void chainCounted(int count);
    void addressChanged(int address);
    // A camera ID was written.
    void cameraIdWritten(int id);
    // The power state as commanded.
    void powerChanged(bool on);
    // Something the operator must be told in a "Warning" box.
    void warning(const QString& text);
    // A camera announced a change of the network.
    void networkChange();
    // The status line's words about the link.
    void linkNews(const LinkNews& news);
    // A preset operation has started (from the panel or a control surface).
    void presetStarted(PresetOperation* operation);
    // The last exchange has ended: the line is free for what waited.
    void lineFree();
    // A finishing reply ended the command in flight, or a preset operation ended.
    void commandEnded();
    // A surface's event, for the decoded traffic.
    void surfaceEvent(const QString& surface, const QString& source, const QString& what);

private:
    void onReplyEnded(const ReplyEnd& end);
    void onLost(const QString& reason);
    void onMayBeBack();
    void startRecovery(bool reconnection);
    Job afterRecoveryClear(bool answered, bool cleared = true);
    void stopRecoveryWaits();
    // The reopened port takes commands again.
    void linkReopened();
    void checkServerIfSilent();
    Job checkServer();
    void endHoldBack();
    bool lostAgain();
    bool readAllowed();
    Job readJob();
    Task<bool> readWhole();
    Task<bool> identify();
    Task<std::optional<QByteArray>> readBlock(int block);
    Task<std::optional<PanTiltStatus>> readPanTiltStatus();
    Job memoryRecall(int number);
    Job addressSetJob();
    Job commandsApartJob(Packet first, double seconds, Packet second);
    void finishRead();
    void markNoAnswer();
    void readFailed();
    void applyIdentity(const Identity& id);
    void clearNotBack();
    void watchReply(const ReplyEnd& end);
    void readAfterFailedCommand();
    void readOwed();
    Outcome checkTarget(int address, bool needsHead) const;
    Outcome sendTo(int address, const Packet& packet, Surface from);
    // A drive (moves) or its stop, through the camera's pacer.
    Outcome pace(int address, MotionKind kind, const Packet& packet, const Packet& stopPacket, bool moves);
    static Outcome outcomeOf(SendResult result);
    void setMoving(int address, int kind, bool moving, Surface from);
    // The line as the pacers see it.
    class PacerLine final : public MotionLine {
    public:
        explicit PacerLine(CameraSession& session) : m_session(session) {}
        bool sendMotion(const MotionPacket& packet) override;
        bool lineFree() const override;
        bool stopMayGo() const override { return m_session.m_stopGap || lineFree(); }
        double lineTime(int bytes) const override { return m_session.m_link.lineTime(bytes); }

    private:
        CameraSession& m_session;
    };
    // Replies taken from the port, whole packets at a time, for the pacers.
    void routeToPacers(const QByteArray& bytes);
    // Before each exchange that holds the line: owed stops go first.
    Task<void> stopsFirst();

    Clock& m_clock;
    Link m_link;
    RefreshMachine m_refresh;

    int m_address = 1;
    int m_count = 0;
    std::array<std::optional<Identity>, 8> m_identities;
    bool m_modelIdentified = false;
    bool m_panTiltFamily = false;
    std::uint8_t m_panTiltModel = 0;
    int m_romHigh = 0;
    int m_romLow = 0;
    std::uint8_t m_afSubMode = 0;
    bool m_powerOn = false;
    bool m_startup = false;
    bool m_panTiltWanted = false;
    AlarmSettings m_alarm;
    std::array<TitleRow, 9> m_titles{};

    // What the session knows of each camera beyond its identity.
    struct Runtime {
        int lastPreset = -1;
        int zoomPosition = -1;
        int maxPanSpeed = 0;
        int maxTiltSpeed = 0;
        int movingKinds = 0;         // bits: pan-tilt, zoom, focus
        Surface movedBy = Surface::Panel;
    };
    std::array<Runtime, 8> m_runtime;

    PacerLine m_pacerLine{*this};
    std::array<std::unique_ptr<MotionPacer>, 8> m_pacers;   // by address 1..7
    bool m_stopGap = false;
    QByteArray m_replyBytes;   // a reply's first bytes, until its terminator

    bool m_reading = false;
    int m_exchanges = 0;
    bool m_noAnswer = false;

    QPointer<PresetOperation> m_preset;

    // A command to the addressed camera waiting for its first answer, and
    // the one read owed when it got an error or none.
    int m_awaitedAnswer = 0;
    ClockTimer m_answerDeadline;
    bool m_readOwed = false;

    QTimer m_clearWatch;
    QByteArray m_clearSeen;
    QMetaObject::Connection m_clearReceived;

    // Recovery of a lost link.
    bool m_down = false;
    bool m_recovering = false;
    QTimer m_recoveryClearWait;
    QList<QMetaObject::Connection> m_recoveryFinish;

    // A device server that passes nothing back: checked with the interface
    // clear until it answers, each wait twice the one before.
    bool m_serverChecking = false;
    bool m_stalled = false;
    double m_serverCheckWait = 0.0;
    ClockTimer m_serverCheckTimer;
    double m_lastRecoveryClearAt = -1e9;
    double m_recoveryClearAt = -1e9;

public:
    // How long the interface clear of a recovery has to come back.
    int interfaceClearWaitMs = 1000;
    // Reconnections clear the cameras' interfaces at most once in this many
    // seconds: a clear stops what a camera is doing, perhaps for another
    // station that shares the device server.
    static constexpr double kRecoveryClearGap = 60.0;
    static constexpr double kFirstServerCheck = 2.0;
    static constexpr double kLastServerCheck = 60.0;
    bool serverStalled() const { return m_stalled; }
};

} // namespace peltro
