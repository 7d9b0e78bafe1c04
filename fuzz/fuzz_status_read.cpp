// The status decoders and whole status reads of the panel against a port
// whose answers, and when they come, are given by the input.
//
// Input: a byte of starting conditions, the number of reads, then one answer
// record per packet the panel writes ([timing][length][bytes]); once the
// records run out the camera is silent.
//
// Checked:
//  - every packet written ends with FF and holds no FF before, and goes to
//    the addressed camera;
//  - a read ends, with each inquiry tried at most seven times, and hands
//    the replies back to the receive handler (echo on, notifications on);
//  - a read broken off for want of an answer leaves every slider and value
//    box of the window as it was (no half-read values on show);
//  - the decoders take any block, of any length.

#include "fuzz_panel.h"
#include "sim_camera.h"
#include "status_blocks.h"

#include <QLineEdit>
#include <QSlider>
#include <algorithm>

using namespace peltro;
using namespace peltro::fuzz;

namespace {

// Version, four blocks and the three pan-tilt inquiries, seven tries each.
constexpr int kMostWritesPerRead = 8 * CameraSession::kMaxTries;

// When an answer comes: at once, within the wait, after the wait (late), much later.
double delayOf(int timing)
{
    static const double delays[] = {0.0, 0.4, 1.5, 3.0};
    return delays[timing & 3];
}

struct Shown {
    QList<int> sliders;
    QStringList boxes;
    bool operator==(const Shown&) const = default;
};

Shown shown(const FrmMain& main)
{
    Shown s;
    for (const QSlider* slider : main.findChildren<QSlider*>())
        s.sliders << slider->value();
    for (const QLineEdit* box : main.findChildren<QLineEdit*>())
        if (box != main.modelVersion)   // says which camera did not answer
            s.boxes << box->text();
    return s;
}

bool isPanTiltInquiry(const QByteArray& packet)
{
    return packet.size() == 5 && quint8(packet[1]) == 0x09 && quint8(packet[2]) == 0x06;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);

    // The decoders over a block of any length, applied to the window as a
    // read would: the panel starts from whatever they show.
    const QByteArray block = in.bytes(std::size_t(in.byte() % 20));
    isValidBlock(block);
    FuzzPanel panel;
    CameraSession& session = panel.session();
    CameraStatus decoded;
    decoded.blocksRead = true;
    decoded.lens = decodeLens(block);
    decoded.camera = decodeCamera(block);
    decoded.other = decodeOther(block);
    decoded.expanded = decodeExpanded(block);
    panel.app->view.applyStatus(decoded);
    const int conditions = in.byte();
    session.setAddress(1 + (conditions >> 4) % 7);
    PanTiltFlags& window = panel.app->panTiltFlags;
    window.shown = conditions & 0x01;
    window.large = conditions & 0x02;
    session.setPanTiltStatusWanted(window.shown && window.large);
    if (conditions & 0x04) {
        // A camera identified earlier (by a read it answered in full): no
        // version inquiry, blocks at once.
        sim::SimCamera camera(*findModel((conditions & 0x08) ? QStringLiteral("quorin-p3")
                                                             : QStringLiteral("tamiro-k9b")));
        camera.address = session.address();
        panel.port.answerWrite = [&](const QByteArray& packet) {
            for (const QByteArray& reply : camera.handle(packet))
                panel.port.answer(0.0, reply);
        };
        require(session.readStatus(), "a clean read did not start");
        panel.runWhile([&] { return session.busy(); });
        require(session.modelIdentified(), "the camera was not identified");
        require(panel.messages.boxes.isEmpty(), "a clean read told the operator something");
    }
    const int reads = 1 + in.byte() % 3;

    panel.port.answerWrite = [&](const QByteArray&) {
        if (in.empty())
            return;
        const int timing = in.byte();
        panel.port.answer(delayOf(timing), in.record(24));
    };

    for (int r = 0; r < reads; ++r) {
        const qsizetype before = panel.port.writes.size();
        const qsizetype boxesBefore = panel.messages.boxes.size();
        const bool identifiedBefore = session.modelIdentified();
        const Shown was = shown(panel.main());
        const double started = panel.clock.now();

        const bool carriedOut = session.readStatus();
        panel.runWhile([&] { return session.busy(); });
        require(!session.busy(), "the status read did not end");

        const QList<QByteArray> writes = panel.port.writes.mid(before);
        requireWellFormedPackets(writes, "the status read wrote a malformed packet");
        for (const QByteArray& w : writes)
            require(quint8(w[0]) == 0x80 + session.address(), "the status read asked another camera", w);
        require(writes.size() <= kMostWritesPerRead, "the status read asked too often");
        require(panel.clock.now() - started <= kMostWritesPerRead * (1.0 + Link::kLateAnswerWindow) + 1.0,
                "the status read took too long");
        require(panel.link().RefreshNotGoCheck(), "the status read left operator commands refused");
        require(!carriedOut || (panel.link().echo() && panel.port.rThreshold() == 1),
                "the status read did not hand the replies back to the receive handler");

        bool brokeOff = false;
        for (qsizetype b = boxesBefore; b < panel.messages.boxes.size(); ++b)
            brokeOff |= panel.messages.boxes[b].text.startsWith(QLatin1String("Refresh Action Error"));
        const bool blocksRead = std::any_of(writes.begin(), writes.end(), isPanTiltInquiry);
        if (identifiedBefore && brokeOff && !blocksRead)
            require(shown(panel.main()) == was, "a broken-off read changed the values on show");

        // Between reads the event loop runs: late answers reach the receive
        // handler, and time goes on to the next tick.
        pumpEvents();
        panel.clock.advance(2.0);
        panel.port.inBufferCount();
        pumpEvents();
    }
    return 0;
}
