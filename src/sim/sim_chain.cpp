#include "sim_chain.h"

namespace peltro::sim {

namespace {

int at(const QByteArray& bytes, int index)
{
    return static_cast<std::uint8_t>(bytes.at(index));
}

bool isHeader(int byte)
{
    return byte >= 0x81 && byte <= 0x88;
}

const QByteArray kInterfaceClear("\x88\x01\x00\x01\xFF", 5);

} // namespace

SimChain::SimChain(const QList<ModelId>& models)
{
    Q_ASSERT_X(!models.isEmpty() && models.size() <= kMaxCameras, "SimChain", "1..7 cameras");
    for (const ModelId& model : models) {
        if (m_cameras.size() == kMaxCameras)
            break;
        m_cameras.append(SimCamera(model));
        m_cameras.last().address = int(m_cameras.size());
    }
}

std::optional<SimChain> SimChain::fromNames(const QStringList& names, QString* error)
{
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return std::nullopt;
    };
    QList<ModelId> models;
    for (const QString& entry : names) {
        for (const QString& raw : entry.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString name = raw.trimmed();
            if (name.isEmpty())
                continue;
            const std::optional<ModelId> model = findModel(name);
            if (!model)
                return fail(QStringLiteral("unknown camera model \"%1\"; the models are %2")
                                .arg(name, modelNames().join(QStringLiteral(", "))));
            models.append(*model);
        }
    }
    if (models.isEmpty())
        return fail(QStringLiteral("no camera model given"));
    if (models.size() > kMaxCameras)
        return fail(QStringLiteral("%1 cameras given, a chain holds at most %2")
                        .arg(models.size()).arg(kMaxCameras));
    return SimChain(models);
}

QStringList SimChain::modelNames()
{
    QStringList names;
    for (const ModelId& model : allModels())
        names << model.shortName;
    return names;
}

QByteArray SimChain::withJunk(const QByteArray& reply) const
{
    QByteArray out = reply;
    // A garbled byte is a wrong value, never a terminator made or lost: the
    // framing of the line stays whole.
    if (faults.garbled && out.size() > 2 && quint8(out.at(1)) != 0xFF && quint8(out.at(1)) != 0xFE)
        out[1] = char(out.at(1) ^ 0x01);
    return faults.junk + out;
}

double SimChain::takeReplyDelay()
{
    if (faults.replyDelay <= 0.0 || faults.lateCount == 0)
        return 0.0;
    if (faults.lateCount > 0)
        --faults.lateCount;
    return faults.replyDelay;
}

QByteArray SimChain::networkChangeNotice(int position) const
{
    return camera(position).networkChangeNotice();
}

QList<Emission> SimChain::feed(const QByteArray& bytes)
{
    QList<Emission> out;
    for (char c : bytes) {
        const int byte = static_cast<std::uint8_t>(c);
        if (m_pending.isEmpty()) {
            // Between packets only a header byte starts one; anything else is noise.
            if (isHeader(byte))
                m_pending.append(c);
            continue;
        }
        m_pending.append(c);
        if (byte == 0xFF) {
            const QByteArray complete = m_pending;
            m_pending.clear();
            out += packet(complete);
        }
    }
    return out;
}

QList<Emission> SimChain::packet(const QByteArray& packet)
{
    log.append(packet);
    if (at(packet, 0) == 0x88)
        return broadcast(packet);

    const int address = at(packet, 0) & 0x0F;
    for (int position = 1; position <= size(); ++position) {
        SimCamera& cam = camera(position);
        if (cam.address != address)
            continue;
        if (faults.silent.contains(position) || faults.unansweredPackets.contains(packet.mid(1)))
            return {};
        if (faults.refusing.contains(position) || faults.refusedPackets.contains(packet.mid(1))) {
            const char bytes[] = {char(0x80 + 16 * address), char(0x60), char(0x02), char(0xFF)};
            const QByteArray error(bytes, sizeof bytes);
            return {{takeReplyDelay(), withJunk(error)}};
        }
        const QList<QByteArray> replies = cam.handle(packet);
        const double late = replies.isEmpty() ? 0.0 : takeReplyDelay();
        QList<Emission> out;
        bool acknowledged = false;
        for (const QByteArray& reply : replies) {
            const double delay = late + (acknowledged ? faults.completionDelay : 0.0);
            out.append({delay, withJunk(reply)});
            if (reply.size() == 3 && (at(reply, 1) & 0xF0) == 0x40)
                acknowledged = true;
        }
        return out;
    }
    return {};   // no camera has that address
}

QList<Emission> SimChain::broadcast(const QByteArray& packet)
{
    // Every camera passes a broadcast on, a silent one included.
    QByteArray returned = packet;
    if (packet == kInterfaceClear) {
        // Nothing is queued in a camera, so clearing its interface changes no state.
    } else if (packet.size() == 4 && at(packet, 1) == 0x30) {
        // Each camera takes the number it receives and passes on the next one.
        // A number that is no address (outside 1..7) is taken by no camera and
        // passed on as it came, so the count never runs into the terminator.
        int next = at(packet, 2);
        for (int position = 1; position <= size(); ++position) {
            if (next < 1 || next > kMaxCameras)
                break;
            camera(position).address = next++;
        }
        returned[2] = char(next);
    } else {
        for (SimCamera& cam : m_cameras)
            cam.handle(packet);   // their answers go nowhere
    }
    if (faults.broadcastsLost)
        return {};
    return {{takeReplyDelay(), withJunk(returned)}};
}

} // namespace peltro::sim
