// The simulated chain's packet parser: any bytes, in any chunks, into a chain
// of one to seven models with any of the faults a test can set.
//
// Checked for every emission: it is one reply (after the junk a test asked
// for), ending with FF and holding no other FF, from a camera address of the
// chain (0x90..0xF0) or a broadcast coming back (0x88).

#include "fuzz_support.h"
#include "sim_chain.h"

using namespace peltro;
using namespace peltro::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QList<ModelId> catalogue = allModels();
    Input in(data, size);

    QList<ModelId> models;
    const int count = 1 + in.byte() % sim::SimChain::kMaxCameras;
    for (int i = 0; i < count; ++i)
        models << catalogue[in.byte() % catalogue.size()];
    sim::SimChain chain(models);

    const int faults = in.byte();
    chain.faults.garbled = faults & 0x01;
    chain.faults.broadcastsLost = faults & 0x02;
    if (faults & 0x04) {
        // Junk is line noise a test puts before every reply; it never ends one.
        for (char c : in.record(3))
            chain.faults.junk += char(quint8(c) == 0xFF ? 0x00 : c);
    }
    if (faults & 0x08)
        chain.faults.silent.insert(1 + in.byte() % count);
    chain.faults.replyDelay = (faults & 0x10) ? 1.5 : 0.0;
    chain.faults.completionDelay = (faults & 0x20) ? 0.5 : 0.0;

    while (!in.empty()) {
        for (const sim::Emission& e : chain.feed(in.record(48))) {
            require(e.delay >= 0.0, "a reply is due before its packet came");
            require(e.bytes.startsWith(chain.faults.junk), "a reply lost its junk", e.bytes);
            const QByteArray reply = e.bytes.mid(chain.faults.junk.size());
            require(isWellFormedPacket(reply), "the chain sent a reply with FF before its end or none at its end",
                    e.bytes);
            const int source = quint8(reply.at(0));
            require(source == 0x88 || (source >= 0x90 && source <= 0xF0 && (source & 0x0F) == 0),
                    "the chain sent a reply from no camera address", e.bytes);
        }
    }
    return 0;
}
